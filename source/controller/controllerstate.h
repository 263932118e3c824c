// The controller's own saved state, which hosts keep with the project beside the processor's
// 600-byte state: what the controller knows that the parameters do not say.
//
// The record: the four bytes "TvCs", a uint32 format version, then fields to the end, each a
// four-character tag, a uint32 payload length and the payload; integers little-endian.
//   "name"  the loaded sound's name, UTF-8, at most kMaxSoundNameBytes
//   "edit"  one byte, 1 if the sound was edited since it was loaded, else 0
//   "prog"  int32, the program the program-change parameter selects
//   "zoom"  uint32, the editor's zoom in percent; a value that is no zoom step is read as the
//           nearest step, so a zoom this version does not offer is not a broken record
// New content comes as new fields, which older readers skip; the version changes only if the
// framing itself does, and readers refuse versions newer than theirs. A record whose framing is
// broken, whose known fields have the wrong size or content, or that is larger than
// kMaxControllerStateBytes is refused as a whole.
#pragma once

#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talvane {

constexpr std::uint32_t kControllerStateVersion = 1;
constexpr std::size_t kMaxControllerStateBytes = 64 * 1024;
constexpr std::size_t kMaxSoundNameBytes = 255;

struct ControllerState
{
    std::string soundName;
    bool soundEdited = false;
    std::int32_t program = 0;
    // One of kZoomSteps; empty when the record does not say (it was saved before the zoom was kept).
    std::optional<int> editorZoom;
};

std::vector<std::uint8_t> encodeControllerState(const ControllerState& state);
// Empty when the record is refused.
std::optional<ControllerState> decodeControllerState(const std::vector<std::uint8_t>& bytes);

// Everything left in `stream` (up to the first read that delivers nothing); empty when that is more
// than `limit` bytes.
std::optional<std::vector<std::uint8_t>> readRemainingBytes(Steinberg::IBStream* stream, std::size_t limit);
bool writeAllBytes(Steinberg::IBStream* stream, const std::vector<std::uint8_t>& bytes);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(const std::string& text);

} // namespace talvane
