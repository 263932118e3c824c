// Sounds as VST 3 preset files: what the SDK's own reader finds in them, and what the plug-in's
// reader refuses.
#include "source/controller/soundfile.h"
#include "source/factory/classids.h"
#include "source/presets/programs.h"

#include "support/stateimage.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace talvane;
using Steinberg::MemoryStream;
using Steinberg::Vst::PresetFile;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The bytes of one chunk as the SDK's reader lists it.
Bytes chunkOf(const Bytes& file, Steinberg::Vst::ChunkType type)
{
    Bytes copy = file;
    MemoryStream stream(copy.data(), static_cast<Steinberg::TSize>(copy.size()));
    PresetFile reader(&stream);
    if (!reader.readChunkList())
        return {};
    const PresetFile::Entry* entry = reader.getEntry(type);
    if (!entry)
        return {};
    return Bytes(file.begin() + entry->offset, file.begin() + entry->offset + entry->size);
}

Steinberg::FUID classOf(const Bytes& file)
{
    Bytes copy = file;
    MemoryStream stream(copy.data(), static_cast<Steinberg::TSize>(copy.size()));
    PresetFile reader(&stream);
    EXPECT_TRUE(reader.readChunkList());
    return reader.getClassID();
}

const presets::Program& warmPad()
{
    return presets::factoryPrograms().at(presets::factoryPrograms().findNamed("Warm Pad"));
}

} // namespace

TEST(SoundFile, CarriesTheProcessorStateTheControllerStateAndMetaInformation)
{
    const Bytes file = encodeSoundFile(warmPad().values, {"Warm Pad", false, 1, std::nullopt}, "Pads");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(classOf(file), kProcessorClassId);

    // The processor's state as the independent image reads it.
    talvane::testing::StateImage image;
    ASSERT_TRUE(talvane::testing::StateImage::parse(chunkOf(file, Steinberg::Vst::kComponentState), image));
    EXPECT_EQ(image.header[1], 87);
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        EXPECT_EQ(image.normalized(id), warmPad().values[id]) << id;

    EXPECT_EQ(chunkOf(file, Steinberg::Vst::kControllerState),
              encodeControllerState({"Warm Pad", false, 1, std::nullopt}));
    const Bytes xml = chunkOf(file, Steinberg::Vst::kMetaInfo);
    const std::string text(xml.begin(), xml.end());
    EXPECT_NE(text.find("<Attr id=\"Name\" value=\"Warm Pad\" type=\"string\"/>"), std::string::npos) << text;
    EXPECT_NE(text.find("<Attr id=\"MusicalCategory\" value=\"Pads\""), std::string::npos);
    EXPECT_NE(text.find("<Attr id=\"PlugInName\" value=\"Talvane\""), std::string::npos);
    EXPECT_NE(text.find("<Attr id=\"PlugInCategory\" value=\"Instrument|Synth\""), std::string::npos);

    const std::optional<SoundFileContents> read = decodeSoundFile(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->values, warmPad().values);
    EXPECT_EQ(read->name, "Warm Pad");
    EXPECT_EQ(read->category, "Pads");
    ASSERT_TRUE(read->controllerState);
    EXPECT_EQ(read->controllerState->program, 1);
}

TEST(SoundFile, NamesWithMarkupCharactersSurviveTheMetaInformation)
{
    const std::string name = "Bass & <Drums> \"live\" 'dub' \xC3\xA9";
    const std::optional<SoundFileContents> read = decodeSoundFile(
        encodeSoundFile(presets::defaultValues(), {name, false, 0, std::nullopt}, "Keys & Pads"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, name);
    EXPECT_EQ(read->category, "Keys & Pads");
    EXPECT_EQ(metaInfoAttribute("<Attr id=\"Name\" value=\"A&amp;B&#66;\"/>", "Name"), "A&B&#66;");
    EXPECT_EQ(metaInfoAttribute("<Attr id=\"Name\" value=\"unterminated/>", "Name"), "");
    EXPECT_EQ(metaInfoAttribute("<Attr id=\"Other\" value=\"x\"/>", "Name"), "");
}

TEST(SoundFile, FilesOfOthersAndDamagedFilesAreRefused)
{
    const Bytes good = encodeSoundFile(warmPad().values, {"Warm Pad", false, 1, std::nullopt}, "Pads");
    ASSERT_TRUE(decodeSoundFile(good));

    // Another plug-in's preset: the same layout under another class ID.
    Bytes other = good;
    other[8] = other[8] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(decodeSoundFile(other));

    // Cut short: the chunk list at the end is gone.
    EXPECT_FALSE(decodeSoundFile(Bytes(good.begin(), good.end() - 10)));
    EXPECT_FALSE(decodeSoundFile({}));
    EXPECT_FALSE(decodeSoundFile(Bytes(48, 0)));

    // A chunk list that points outside the file: the component chunk's size made huge.
    Bytes outside = good;
    const std::size_t list = good.size() - (4 + 4 + 3 * (4 + 8 + 8));
    ASSERT_EQ(std::string(good.begin() + static_cast<std::ptrdiff_t>(list),
                          good.begin() + static_cast<std::ptrdiff_t>(list) + 4),
              "List");
    outside[list + 4 + 4 + 4 + 8 + 6] = 0x7F; // a high byte of the first entry's size
    EXPECT_FALSE(decodeSoundFile(outside));

    // A processor state the processor would not load: a continuous value above 1.
    Bytes outOfRange = good;
    const std::size_t componentStart = 48;
    const float tooHigh = 1.5f;
    std::memcpy(outOfRange.data() + componentStart + 12 + 4 * kASustain, &tooHigh, sizeof tooHigh);
    EXPECT_FALSE(decodeSoundFile(outOfRange));

    // A damaged controller state leaves the sound readable, without what that state says.
    Bytes damagedController = good;
    const std::size_t controllerStart = componentStart + talvane::testing::kStateSize;
    ASSERT_EQ(damagedController[controllerStart], 'T');
    damagedController[controllerStart] = 'X';
    const std::optional<SoundFileContents> noController = decodeSoundFile(damagedController);
    ASSERT_TRUE(noController);
    EXPECT_FALSE(noController->controllerState);
    EXPECT_EQ(noController->name, "Warm Pad") << "from the meta-information";
}
