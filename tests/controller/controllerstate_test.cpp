// The controller's own state record: its bytes, extension by fields older readers skip, and the
// refusal of anything damaged.
#include "source/controller/controllerstate.h"

#include "host/hostobjects.h"

#include <gtest/gtest.h>

#include <utility>

using namespace talvane;
using Bytes = std::vector<std::uint8_t>;

namespace {

// "TvCs", version 1, then "name" "Pad" (3 bytes), "edit" 1, "prog" 7: written out by hand.
const Bytes kWorkedRecord = {'T', 'v', 'C', 's', 1, 0, 0, 0,                //
                             'n', 'a', 'm', 'e', 3, 0, 0, 0, 'P', 'a', 'd', //
                             'e', 'd', 'i', 't', 1, 0, 0, 0, 1,             //
                             'p', 'r', 'o', 'g', 4, 0, 0, 0, 7,   0,   0,   0};

Bytes field(const std::string& tag, const Bytes& payload)
{
    Bytes out(tag.begin(), tag.end());
    const auto size = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes header(std::uint8_t version = 1)
{
    return {'T', 'v', 'C', 's', version, 0, 0, 0};
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(ControllerState, IsATaggedRecordOfNameEditedMarkAndProgram)
{
    EXPECT_EQ(encodeControllerState({"Pad", true, 7, std::nullopt}), kWorkedRecord);
    const std::optional<ControllerState> read = decodeControllerState(kWorkedRecord);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->soundName, "Pad");
    EXPECT_TRUE(read->soundEdited);
    EXPECT_EQ(read->program, 7);

    // UTF-8 names and negative programs survive the round trip.
    const ControllerState unusual{"Ch\xC5\x93ur \xF0\x9F\x8E\xB9", false, -1, std::nullopt};
    const std::optional<ControllerState> back = decodeControllerState(encodeControllerState(unusual));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->soundName, unusual.soundName);
    EXPECT_EQ(back->program, -1);
}

TEST(ControllerState, LaterFieldsAreSkippedAndMissingOnesKeepTheirDefaults)
{
    // A newer writer's record: an unknown field first, the known ones in another order.
    const Bytes newer = header() + field("tint", {0, 0, 0x40, 0x3F}) + field("prog", {2, 0, 0, 0}) +
                        field("name", {'B', 'a', 's', 's'}) + field("xtra", {});
    const std::optional<ControllerState> read = decodeControllerState(newer);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->soundName, "Bass");
    EXPECT_FALSE(read->soundEdited);
    EXPECT_EQ(read->program, 2);

    const std::optional<ControllerState> bare = decodeControllerState(header());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->soundName, "");
    EXPECT_EQ(bare->program, 0);
    EXPECT_FALSE(bare->editorZoom);
}

TEST(ControllerState, KeepsTheEditorZoomInAFieldOfItsOwn)
{
    // The worked record with "zoom" 150 after it.
    const Bytes withZoom = kWorkedRecord + Bytes{'z', 'o', 'o', 'm', 4, 0, 0, 0, 150, 0, 0, 0};
    EXPECT_EQ(encodeControllerState({"Pad", true, 7, 150}), withZoom);
    const std::optional<ControllerState> read = decodeControllerState(withZoom);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->editorZoom, 150);
    EXPECT_EQ(read->soundName, "Pad");
    EXPECT_EQ(read->program, 7);

    // A record that does not say (saved before the zoom was kept) has none, and one without a zoom
    // is written as before.
    const std::optional<ControllerState> older = decodeControllerState(kWorkedRecord);
    ASSERT_TRUE(older);
    EXPECT_FALSE(older->editorZoom);
    EXPECT_EQ(encodeControllerState({"Pad", true, 7, std::nullopt}), kWorkedRecord);

    // A zoom that is no step here comes back as the nearest step, from 75 to 200 %.
    const std::pair<Bytes, int> values[] = {
        {{75, 0, 0, 0}, 75},       {{200, 0, 0, 0}, 200},     {{0, 0, 0, 0}, 75},
        {{74, 0, 0, 0}, 75},       {{110, 0, 0, 0}, 100},     {{113, 0, 0, 0}, 125},
        {{0xFA, 0, 0, 0}, 200},    {{0x2C, 0x01, 0, 0}, 200}, {{0xFF, 0xFF, 0xFF, 0xFF}, 200},
        {{0x96, 0, 0, 0x80}, 200},
    };
    for (const auto& [payload, zoom] : values)
    {
        const std::optional<ControllerState> odd = decodeControllerState(header() + field("zoom", payload));
        ASSERT_TRUE(odd) << zoom;
        EXPECT_EQ(odd->editorZoom, zoom)
            << static_cast<int>(payload[0]) << " " << static_cast<int>(payload[1]);
    }
}

TEST(ControllerState, DamagedRecordsAreRefusedWhole)
{
    const Bytes good = encodeControllerState({"Lead", false, 3, 100});
    ASSERT_TRUE(decodeControllerState(good));
    Bytes badMagic = good;
    badMagic[0] = 't';
    const struct
    {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"short header", Bytes(good.begin(), good.begin() + 7)},
        {"wrong magic", badMagic},
        {"version 0", header(0)},
        {"a newer framing", header(2) + field("name", {'A'})},
        {"a field cut short", Bytes(good.begin(), good.end() - 1)},
        {"half a field header", header() + Bytes{'n', 'a', 'm'}},
        {"a length past the end", header() + Bytes{'n', 'a', 'm', 'e', 0xFF, 0xFF, 0xFF, 0xFF, 'A'}},
        {"an edited mark of two bytes", header() + field("edit", {1, 0})},
        {"an edited mark of 2", header() + field("edit", {2})},
        {"a program of three bytes", header() + field("prog", {1, 0, 0})},
        {"a zoom of two bytes", header() + field("zoom", {150, 0})},
        {"a zoom of eight bytes", header() + field("zoom", {150, 0, 0, 0, 0, 0, 0, 0})},
        {"a name that is no UTF-8", header() + field("name", {'A', 0xC0, 0xAF})},
        {"a name with a surrogate", header() + field("name", {0xED, 0xA0, 0x80})},
        {"a name beyond U+10FFFF", header() + field("name", {0xF4, 0x90, 0x80, 0x80})},
        {"a name with a line break", header() + field("name", {'A', '\n', 'B'})},
        {"a name too long", header() + field("name", Bytes(kMaxSoundNameBytes + 1, 'a'))},
        {"a record too large", header() + field("junk", Bytes(kMaxControllerStateBytes, 0))},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(decodeControllerState(c.bytes)) << c.what;
    EXPECT_TRUE(decodeControllerState(header() + field("name", Bytes(kMaxSoundNameBytes, 'a'))));
}

TEST(ControllerState, IsReadWholeFromStreamsThatRefuseReadsPastTheirEnd)
{
    // The host library's stream refuses a read that would run past its end, as some hosts' do.
    host::MemoryStream stream(kWorkedRecord);
    const std::optional<Bytes> read = readRemainingBytes(&stream, kMaxControllerStateBytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, kWorkedRecord);

    host::MemoryStream tooLong(Bytes(100, 1));
    EXPECT_FALSE(readRemainingBytes(&tooLong, 99));
    host::MemoryStream empty;
    ASSERT_TRUE(readRemainingBytes(&empty, 10));
    EXPECT_TRUE(readRemainingBytes(&empty, 10)->empty());
    EXPECT_FALSE(readRemainingBytes(nullptr, 10));

    host::MemoryStream out;
    EXPECT_TRUE(writeAllBytes(&out, kWorkedRecord));
    EXPECT_EQ(out.bytes(), kWorkedRecord);
    out.failWritesFrom = 0;
    out.rewind();
    EXPECT_FALSE(writeAllBytes(&out, kWorkedRecord));
}

TEST(ControllerState, Utf8IsCheckedForWellFormedness)
{
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("Warm Pad"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9")); // é € 🎹
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));                            // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));                        // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xC3"));                                // cut short
    EXPECT_FALSE(isValidUtf8("\x80"));                                // a continuation alone
    EXPECT_FALSE(isValidUtf8("\xFF"));
}
