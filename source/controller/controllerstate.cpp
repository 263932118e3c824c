#include "source/controller/controllerstate.h"

#include "source/editor/editorzoom.h"

#include <cstring>
#include <new>

namespace talvane {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr char kMagic[4] = {'T', 'v', 'C', 's'};
constexpr std::size_t kTagBytes = 4;
constexpr std::size_t kWordBytes = 4;
constexpr std::size_t kHeaderBytes = sizeof kMagic + kWordBytes;
constexpr std::size_t kFieldHeaderBytes = kTagBytes + kWordBytes;
constexpr int kBitsPerByte = 8;

constexpr char kNameTag[4] = {'n', 'a', 'm', 'e'};
constexpr char kEditedTag[4] = {'e', 'd', 'i', 't'};
constexpr char kProgramTag[4] = {'p', 'r', 'o', 'g'};
constexpr char kZoomTag[4] = {'z', 'o', 'o', 'm'};

void putWord(Bytes& out, std::uint32_t value)
{
    for (std::size_t i = 0; i < kWordBytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (kBitsPerByte * i)));
}

std::uint32_t wordAt(const Bytes& in, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < kWordBytes; ++i)
        value |= static_cast<std::uint32_t>(in[at + i]) << (kBitsPerByte * i);
    return value;
}

void putField(Bytes& out, const char (&tag)[4], const Bytes& payload)
{
    out.insert(out.end(), tag, tag + kTagBytes);
    putWord(out, static_cast<std::uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

bool isTag(const Bytes& in, std::size_t at, const char (&tag)[4])
{
    return std::memcmp(in.data() + at, tag, kTagBytes) == 0;
}

bool isValidSoundName(const std::string& name)
{
    if (name.size() > kMaxSoundNameBytes || !isValidUtf8(name))
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

} // namespace

bool isValidUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            length = 2;
            code = lead & 0x1F;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            length = 3;
            code = lead & 0x0F;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            length = 4;
            code = lead & 0x07;
        }
        else
        {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
        {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

std::vector<std::uint8_t> encodeControllerState(const ControllerState& state)
{
    Bytes out(kMagic, kMagic + sizeof kMagic);
    putWord(out, kControllerStateVersion);
    putField(out, kNameTag, Bytes(state.soundName.begin(), state.soundName.end()));
    putField(out, kEditedTag, Bytes{static_cast<std::uint8_t>(state.soundEdited ? 1 : 0)});
    Bytes program;
    putWord(program, static_cast<std::uint32_t>(state.program));
    putField(out, kProgramTag, program);
    if (state.editorZoom)
    {
        Bytes zoom;
        putWord(zoom, static_cast<std::uint32_t>(*state.editorZoom));
        putField(out, kZoomTag, zoom);
    }
    return out;
}

std::optional<ControllerState> decodeControllerState(const std::vector<std::uint8_t>& in)
{
    if (in.size() < kHeaderBytes || in.size() > kMaxControllerStateBytes ||
        std::memcmp(in.data(), kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    const std::uint32_t version = wordAt(in, sizeof kMagic);
    if (version == 0 || version > kControllerStateVersion)
        return std::nullopt;

    ControllerState state;
    std::size_t at = kHeaderBytes;
    while (at < in.size())
    {
        if (in.size() - at < kFieldHeaderBytes)
            return std::nullopt;
        const std::size_t length = wordAt(in, at + kTagBytes);
        const std::size_t payload = at + kFieldHeaderBytes;
        if (length > in.size() - payload)
            return std::nullopt;
        if (isTag(in, at, kNameTag))
        {
            state.soundName.assign(in.begin() + static_cast<std::ptrdiff_t>(payload),
                                   in.begin() + static_cast<std::ptrdiff_t>(payload + length));
            if (!isValidSoundName(state.soundName))
                return std::nullopt;
        }
        else if (isTag(in, at, kEditedTag))
        {
            if (length != 1 || in[payload] > 1)
                return std::nullopt;
            state.soundEdited = in[payload] == 1;
        }
        else if (isTag(in, at, kProgramTag))
        {
            if (length != kWordBytes)
                return std::nullopt;
            state.program = static_cast<std::int32_t>(wordAt(in, payload));
        }
        else if (isTag(in, at, kZoomTag))
        {
            if (length != kWordBytes)
                return std::nullopt;
            state.editorZoom = nearestZoomStep(wordAt(in, payload));
        }
        at = payload + length;
    }
    return state;
}

std::optional<std::vector<std::uint8_t>> readRemainingBytes(Steinberg::IBStream* stream, std::size_t limit)
{
    if (!stream)
        return std::nullopt;
    try
    {
        // One byte at a time: streams differ in what they answer to a read that runs past their
        // end (some refuse it whole), and a controller state is a few dozen bytes.
        Bytes bytes;
        for (;;)
        {
            std::uint8_t byte = 0;
            Steinberg::int32 delivered = 0;
            if (stream->read(&byte, 1, &delivered) != Steinberg::kResultOk || delivered != 1)
                return bytes;
            if (bytes.size() == limit)
                return std::nullopt;
            bytes.push_back(byte);
        }
    }
    catch (const std::bad_alloc&)
    {
        return std::nullopt;
    }
}

bool writeAllBytes(Steinberg::IBStream* stream, const std::vector<std::uint8_t>& bytes)
{
    if (!stream)
        return false;
    if (bytes.empty())
        return true;
    Steinberg::int32 written = 0;
    return stream->write(const_cast<std::uint8_t*>(bytes.data()), static_cast<Steinberg::int32>(bytes.size()),
                         &written) == Steinberg::kResultOk &&
           written == static_cast<Steinberg::int32>(bytes.size());
}

} // namespace talvane
