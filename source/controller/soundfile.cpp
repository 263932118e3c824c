#include "source/controller/soundfile.h"

#include "source/factory/classids.h"
#include "source/params/stateformat.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <algorithm>
#include <new>

namespace talvane {

using Steinberg::IBStream;
using Steinberg::MemoryStream;
using Steinberg::Vst::PresetFile;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kNameAttribute = "Name";
constexpr const char* kCategoryAttribute = "MusicalCategory";

std::string escapeXml(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeXml(const std::string& text)
{
    static const struct
    {
        const char* entity;
        char c;
    } kNamed[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();)
    {
        if (text[i] != '&')
        {
            out += text[i++];
            continue;
        }
        bool done = false;
        for (const auto& named : kNamed)
            if (text.compare(i, std::char_traits<char>::length(named.entity), named.entity) == 0)
            {
                out += named.c;
                i += std::char_traits<char>::length(named.entity);
                done = true;
                break;
            }
        if (!done)
            out += text[i++];
    }
    return out;
}

// A section of `bytes` as PresetFile's chunk list describes it; false if it lies outside.
bool sectionOf(const PresetFile& file, Steinberg::Vst::ChunkType type, const Bytes& bytes, Bytes& section)
{
    const PresetFile::Entry* entry = file.getEntry(type);
    if (!entry || entry->offset < 0 || entry->size < 0 ||
        entry->offset > static_cast<Steinberg::int64>(bytes.size()) ||
        entry->size > static_cast<Steinberg::int64>(bytes.size()) - entry->offset)
        return false;
    section.assign(bytes.begin() + entry->offset, bytes.begin() + entry->offset + entry->size);
    return true;
}

// The SDK's reader takes what it can of a chunk list that was cut short; a file of ours ends with
// its whole list, one entry per chunk.
bool hasCompleteChunkList(const Bytes& bytes)
{
    constexpr std::size_t kListOffsetAt = 40; // after 'VST3', the version and the 32-byte class ID
    constexpr std::size_t kListHeaderBytes = 8;
    constexpr std::size_t kEntryBytes = 4 + 8 + 8;
    if (bytes.size() < kListOffsetAt + 8)
        return false;
    std::uint64_t listOffset = 0;
    for (std::size_t i = 0; i < 8; ++i)
        listOffset |= static_cast<std::uint64_t>(bytes[kListOffsetAt + i]) << (8 * i);
    if (listOffset > bytes.size() || bytes.size() - listOffset < kListHeaderBytes)
        return false;
    std::uint32_t count = 0;
    for (std::size_t i = 0; i < 4; ++i)
        count |= static_cast<std::uint32_t>(bytes[listOffset + 4 + i]) << (8 * i);
    return bytes.size() - listOffset == kListHeaderBytes + std::uint64_t{count} * kEntryBytes;
}

Bytes streamBytes(const MemoryStream& stream)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return Bytes(data, data + stream.getSize());
}

} // namespace

std::string soundMetaInfo(const std::string& name, const std::string& category)
{
    auto attribute = [](const char* id, const std::string& value, bool writeProtected) {
        return std::string("\t<Attr id=\"") + id + "\" value=\"" + escapeXml(value) + "\" type=\"string\"" +
               (writeProtected ? " flags=\"writeProtected\"" : "") + "/>\n";
    };
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MetaInfo>\n") +
           attribute("MediaType", "VstPreset", true) +
           attribute("PlugInCategory", kInstrumentSubCategories, true) +
           attribute("PlugInName", kPluginName, true) + attribute(kNameAttribute, name, false) +
           attribute(kCategoryAttribute, category, false) + "</MetaInfo>\n";
}

std::string metaInfoAttribute(const std::string& xml, const std::string& id)
{
    const std::string key = "id=\"" + id + "\"";
    const std::size_t at = xml.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t tagStart = xml.rfind('<', at);
    const std::size_t tagEnd = xml.find('>', at);
    const std::size_t value = xml.find("value=\"", tagStart == std::string::npos ? 0 : tagStart);
    if (value == std::string::npos || value > tagEnd)
        return {};
    const std::size_t start = value + std::char_traits<char>::length("value=\"");
    const std::size_t end = xml.find('"', start);
    if (end == std::string::npos || end > tagEnd)
        return {};
    return unescapeXml(xml.substr(start, end - start));
}

std::vector<std::uint8_t> encodeSoundFile(const presets::SoundValues& values,
                                          const ControllerState& controllerState, const std::string& category)
{
    try
    {
        MemoryStream component;
        float stateValues[kNumParams];
        std::copy(values.begin(), values.end(), stateValues);
        if (writeState(&component, stateValues) != Steinberg::kResultOk)
            return {};
        component.seek(0, IBStream::kIBSeekSet, nullptr);

        const Bytes controllerBytes = encodeControllerState(controllerState);
        MemoryStream controller;
        if (!writeAllBytes(&controller, controllerBytes))
            return {};
        controller.seek(0, IBStream::kIBSeekSet, nullptr);

        const std::string xml = soundMetaInfo(controllerState.soundName, category);
        MemoryStream file;
        if (!PresetFile::savePreset(&file, kProcessorClassId, &component, &controller, xml.c_str(),
                                    static_cast<Steinberg::int32>(xml.size())))
            return {};
        return streamBytes(file);
    }
    catch (const std::bad_alloc&)
    {
        return {};
    }
}

std::optional<SoundFileContents> decodeSoundFile(const std::vector<std::uint8_t>& bytes)
{
    try
    {
        Bytes copy = bytes; // PresetFile reads through a stream over memory it may not own
        MemoryStream stream(copy.data(), static_cast<Steinberg::TSize>(copy.size()));
        PresetFile file(&stream);
        if (!hasCompleteChunkList(bytes) || !file.readChunkList() || file.getClassID() != kProcessorClassId)
            return std::nullopt;

        Bytes component;
        if (!sectionOf(file, Steinberg::Vst::kComponentState, bytes, component) ||
            component.size() != static_cast<std::size_t>(kStateBytes))
            return std::nullopt;
        SoundFileContents contents;
        contents.values = presets::defaultValues();
        MemoryStream componentStream(component.data(), static_cast<Steinberg::TSize>(component.size()));
        if (readState(&componentStream, OutOfRangeValue::EndLoad,
                      [&](ParamId id, float value) { contents.values[id] = value; }) != Steinberg::kResultOk)
            return std::nullopt;

        Bytes controller;
        if (sectionOf(file, Steinberg::Vst::kControllerState, bytes, controller))
            contents.controllerState = decodeControllerState(controller);
        Bytes xml;
        if (sectionOf(file, Steinberg::Vst::kMetaInfo, bytes, xml))
        {
            const std::string text(xml.begin(), xml.end());
            contents.name = metaInfoAttribute(text, kNameAttribute);
            contents.category = metaInfoAttribute(text, kCategoryAttribute);
        }
        return contents;
    }
    catch (const std::bad_alloc&)
    {
        return std::nullopt;
    }
}

} // namespace talvane
