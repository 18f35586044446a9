#pragma once

#include <cstdint>

namespace media::service {

// Result codes of the media service; 0 is success. Each has one error text.
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kErrUnknownCommand = 257;
inline constexpr std::int32_t kErrBadParameter = 258;
inline constexpr std::int32_t kErrMissingParameter = 259;
inline constexpr std::int32_t kErrNoDevice = 260;
inline constexpr std::int32_t kErrAliasInUse = 261;
inline constexpr std::int32_t kErrMissingFileName = 262;
inline constexpr std::int32_t kErrFileNotFound = 263;
inline constexpr std::int32_t kErrNotVideo = 264;
inline constexpr std::int32_t kErrUnsupportedCodec = 265;
inline constexpr std::int32_t kErrCorruptFile = 266;
inline constexpr std::int32_t kErrBadWindow = 267;
inline constexpr std::int32_t kErrBadDeviceContext = 268;
inline constexpr std::int32_t kErrOutOfRange = 269;
inline constexpr std::int32_t kErrOutOfMemory = 270;
inline constexpr std::int32_t kErrCannotRead = 271;
inline constexpr std::int32_t kErrCancelled = 272;

// The Japanese text for a code (UTF-8); a general text for codes not listed above.
const char* errorMessage(std::int32_t code);

} // namespace media::service
