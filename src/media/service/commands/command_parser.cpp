#include "media/service/commands/command_parser.h"

#include "media/service/commands/error_codes.h"
#include "media/service/pictures/picture_fit.h"

#include <algorithm>
#include <charconv>

namespace media::service {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

bool readInt(const Token& token, std::int32_t& value) {
    const char* begin = token.text.data();
    const char* end = begin + token.text.size();
    const auto result = std::from_chars(begin, end, value);
    return !token.text.empty() && result.ec == std::errc{} && result.ptr == end;
}

// Walks the tokens after the verb and device name.
class Reader {
  public:
    explicit Reader(const std::vector<Token>& tokens, std::size_t from)
        : tokens_(tokens), at_(from) {}

    bool done() const { return at_ >= tokens_.size(); }
    // The next token as a keyword (lower case); quoted tokens are never keywords.
    std::string keyword() {
        const Token& token = tokens_[at_++];
        return token.quoted ? std::string("\"") : lowered(token.text);
    }
    bool value(Token& token) {
        if (done())
            return false;
        token = tokens_[at_++];
        return true;
    }
    bool number(std::int32_t& n, std::int32_t& code) {
        Token token;
        if (!value(token)) {
            code = kErrMissingParameter;
            return false;
        }
        if (!readInt(token, n)) {
            code = kErrBadParameter;
            return false;
        }
        return true;
    }

  private:
    const std::vector<Token>& tokens_;
    std::size_t at_;
};

bool isOpenKeyword(const Token& token) {
    if (token.quoted)
        return false;
    const std::string word = lowered(token.text);
    return word == "alias" || word == "style" || word == "parent" || word == "type" ||
           word == "wait";
}

std::int32_t parseOpen(Reader& reader, Command& command) {
    while (!reader.done()) {
        const std::string word = reader.keyword();
        Token token;
        if (word == "alias") {
            if (!reader.value(token) || token.text.empty())
                return kErrMissingParameter;
            command.alias = lowered(token.text);
        } else if (word == "style") {
            if (!reader.value(token))
                return kErrMissingParameter;
            const std::string style = lowered(token.text);
            if (style != "child" && style != "popup" && style != "overlapped")
                return kErrBadParameter;
            command.childStyle = style == "child";
        } else if (word == "parent") {
            std::int32_t code = kOk;
            if (!reader.number(command.parent, code))
                return code;
            command.hasParent = true;
        } else if (word == "type") {
            if (!reader.value(token))
                return kErrMissingParameter;
        } else if (word != "wait") {
            return kErrBadParameter;
        }
    }
    return kOk;
}

std::int32_t parsePut(Reader& reader, Command& command) {
    if (reader.done())
        return kErrMissingParameter;
    if (reader.keyword() != "destination")
        return kErrBadParameter;
    while (!reader.done()) {
        const std::string word = reader.keyword();
        if (word == "at") {
            std::int32_t code = kOk;
            if (!reader.number(command.x, code) || !reader.number(command.y, code) ||
                !reader.number(command.width, code) || !reader.number(command.height, code))
                return code;
            if (command.width <= 0 || command.height <= 0 || command.width > kLargestPictureSide ||
                command.height > kLargestPictureSide)
                return kErrBadParameter;
            command.hasRect = true;
        } else if (word != "wait") {
            return kErrBadParameter;
        }
    }
    return kOk;
}

std::int32_t parseStatus(Reader& reader, Command& command) {
    if (reader.done())
        return kErrMissingParameter;
    const std::string word = reader.keyword();
    if (word == "length")
        command.item = StatusItem::Length;
    else if (word == "position")
        command.item = StatusItem::Position;
    else if (word == "mode")
        command.item = StatusItem::Mode;
    else if (word == "frame" || word == "nominal") {
        command.item = word == "frame" ? StatusItem::FrameRate : StatusItem::NominalFrameRate;
        if (word == "nominal" && (reader.done() || reader.keyword() != "frame"))
            return kErrBadParameter;
        if (reader.done() || reader.keyword() != "rate")
            return kErrBadParameter;
    } else
        return kErrBadParameter;
    while (!reader.done())
        if (reader.keyword() != "wait")
            return kErrBadParameter;
    return kOk;
}

std::int32_t parseStep(Reader& reader, Command& command) {
    while (!reader.done()) {
        const std::string word = reader.keyword();
        if (word == "reverse") {
            command.reverse = true;
        } else if (word == "by") {
            std::int32_t code = kOk;
            if (!reader.number(command.by, code))
                return code;
            if (command.by < 0)
                return kErrBadParameter;
        } else if (word != "wait") {
            return kErrBadParameter;
        }
    }
    return kOk;
}

std::int32_t parseSeek(Reader& reader, Command& command) {
    if (reader.done())
        return kErrMissingParameter;
    if (reader.keyword() != "to")
        return kErrBadParameter;
    Token token;
    if (!reader.value(token))
        return kErrMissingParameter;
    const std::string word = token.quoted ? std::string() : lowered(token.text);
    if (word == "start") {
        command.seekTarget = SeekTarget::Start;
    } else if (word == "end") {
        command.seekTarget = SeekTarget::End;
    } else {
        if (!readInt(token, command.frame))
            return kErrBadParameter;
        if (command.frame < 0)
            return kErrOutOfRange;
    }
    while (!reader.done())
        if (reader.keyword() != "wait")
            return kErrBadParameter;
    return kOk;
}

std::int32_t parseUpdate(Reader& reader, Command& command) {
    if (reader.done())
        return kErrMissingParameter;
    if (reader.keyword() != "hdc")
        return kErrBadParameter;
    std::int32_t code = kOk;
    if (!reader.number(command.hdc, code))
        return code;
    while (!reader.done())
        if (reader.keyword() != "wait")
            return kErrBadParameter;
    return kOk;
}

// play [window] [wait]; pause, resume, stop and close take no more than "wait".
std::int32_t parseFlags(Reader& reader, bool allowWindow) {
    while (!reader.done()) {
        const std::string word = reader.keyword();
        if (word != "wait" && !(allowWindow && word == "window"))
            return kErrBadParameter;
    }
    return kOk;
}

bool verbFromWord(const std::string& word, Verb& verb) {
    static const std::pair<const char*, Verb> verbs[] = {
        {"open", Verb::Open},     {"close", Verb::Close},   {"put", Verb::Put},
        {"status", Verb::Status}, {"play", Verb::Play},     {"pause", Verb::Pause},
        {"resume", Verb::Resume}, {"stop", Verb::Stop},     {"step", Verb::Step},
        {"seek", Verb::Seek},     {"update", Verb::Update},
    };
    for (const auto& [name, v] : verbs) {
        if (word == name) {
            verb = v;
            return true;
        }
    }
    return false;
}

} // namespace

bool tokenize(std::string_view command, std::vector<Token>& tokens) {
    tokens.clear();
    std::size_t i = 0;
    while (true) {
        while (i < command.size() && isBlank(command[i]))
            ++i;
        if (i >= command.size())
            return true;
        Token token;
        if (command[i] == '"') {
            const std::size_t close = command.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            token.text = std::string(command.substr(i + 1, close - i - 1));
            token.quoted = true;
            i = close + 1;
        } else {
            const std::size_t start = i;
            while (i < command.size() && !isBlank(command[i]))
                ++i;
            token.text = std::string(command.substr(start, i - start));
        }
        tokens.push_back(std::move(token));
    }
}

ParsedCommand parseCommand(std::string_view text) {
    ParsedCommand parsed;
    std::vector<Token> tokens;
    if (!tokenize(text, tokens)) {
        parsed.code = kErrBadParameter;
        return parsed;
    }
    if (tokens.empty() || tokens[0].quoted ||
        !verbFromWord(lowered(tokens[0].text), parsed.command.verb)) {
        parsed.code = kErrUnknownCommand;
        return parsed;
    }
    Command& command = parsed.command;
    if (tokens.size() < 2 || (command.verb == Verb::Open && isOpenKeyword(tokens[1])) ||
        tokens[1].text.empty()) {
        parsed.code = command.verb == Verb::Open ? kErrMissingFileName : kErrMissingParameter;
        return parsed;
    }
    command.device = command.verb == Verb::Open ? tokens[1].text : lowered(tokens[1].text);
    command.allDevices =
        command.verb == Verb::Close && !tokens[1].quoted && command.device == "all";
    Reader reader(tokens, 2);
    switch (command.verb) {
    case Verb::Open:
        parsed.code = parseOpen(reader, command);
        break;
    case Verb::Put:
        parsed.code = parsePut(reader, command);
        break;
    case Verb::Status:
        parsed.code = parseStatus(reader, command);
        break;
    case Verb::Step:
        parsed.code = parseStep(reader, command);
        break;
    case Verb::Seek:
        parsed.code = parseSeek(reader, command);
        break;
    case Verb::Update:
        parsed.code = parseUpdate(reader, command);
        break;
    case Verb::Play:
        parsed.code = parseFlags(reader, true);
        break;
    case Verb::Close:
    case Verb::Pause:
    case Verb::Resume:
    case Verb::Stop:
        parsed.code = parseFlags(reader, false);
        break;
    }
    return parsed;
}

} // namespace media::service
