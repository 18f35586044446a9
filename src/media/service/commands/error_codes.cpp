#include "media/service/commands/error_codes.h"

namespace media::service {

const char* errorMessage(std::int32_t code) {
    switch (code) {
    case kOk:
        return "エラーはありません。";
    case kErrUnknownCommand:
        return "指定されたコマンドは認識できません。";
    case kErrBadParameter:
        return "コマンドのパラメータが正しくありません。";
    case kErrMissingParameter:
        return "コマンドに必要なパラメータが指定されていません。";
    case kErrNoDevice:
        return "指定されたデバイスは開かれていません。";
    case kErrAliasInUse:
        return "指定された別名は既に使われています。";
    case kErrMissingFileName:
        return "ファイル名が指定されていません。";
    case kErrFileNotFound:
        return "指定されたファイルが見つかりません。";
    case kErrNotVideo:
        return "このファイルには再生できる映像が含まれていません。";
    case kErrUnsupportedCodec:
        return "この映像の圧縮形式には対応していません。";
    case kErrCorruptFile:
        return "ファイルが壊れているため、映像を読み取れません。";
    case kErrBadWindow:
        return "指定された親ウィンドウが見つかりません。";
    case kErrBadDeviceContext:
        return "指定された描画先が見つかりません。";
    case kErrOutOfRange:
        return "指定された位置は映像の範囲外です。";
    case kErrOutOfMemory:
        return "メモリが足りないため、映像を扱えません。";
    case kErrCannotRead:
        return "ファイルを読み取れません。";
    case kErrCancelled:
        return "映像の読み込みを取りやめました。";
    default:
        return "不明なエラーが発生しました。";
    }
}

} // namespace media::service
