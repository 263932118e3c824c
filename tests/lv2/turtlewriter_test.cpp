// Numbers in the generated Turtle: read back by a host as single-precision values, they must be
// exactly the parameter table's.
#include "lv2/turtlewriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using talvane::lv2::decimalText;

TEST(TurtleWriter, DecimalsAreTheShortestTextThatReadsBackExactly)
{
    EXPECT_EQ(decimalText(0.8f), "0.8");
    EXPECT_EQ(decimalText(0.1f), "0.1");
    EXPECT_EQ(decimalText(0.0f), "0.0");
    EXPECT_EQ(decimalText(1.0f), "1.0");
    EXPECT_EQ(decimalText(-3.0f), "-3.0");
    EXPECT_EQ(decimalText(1.0f / 36.0f), "0.027777778");
    // No exponent: a Turtle decimal has none.
    EXPECT_EQ(decimalText(0.00001f), "0.00001");
    for (const float value : {0.3f, 1.0f / 3.0f, 5.0f / 9.0f, 9.0f / 11.0f, 1e-7f, 123.456f})
        EXPECT_EQ(std::strtof(decimalText(value).c_str(), nullptr), value) << decimalText(value);
}

TEST(TurtleWriter, WritesNumbersBareStringsQuotedAndBlankNodesNested)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        talvane::lv2::TurtleWriter out(file);
        out.prefix("lv2", "http://lv2plug.in/ns/lv2core#");
        out.prefix("rdfs", "http://www.w3.org/2000/01/rdf-schema#");
        const auto plugin = out.uri("urn:example:plugin");
        const auto port = out.newBlank();
        out.beginBlank(plugin, out.name("lv2:port"), port);
        out.statement(port, out.name("lv2:index"), out.integer(3));
        out.statement(port, out.name("lv2:default"), out.decimal(0.5f));
        const auto point = out.newBlank();
        out.beginBlank(port, out.name("lv2:scalePoint"), point);
        // A label that looks like a number stays a string.
        out.statement(point, out.name("rdfs:label"), out.text("-2"));
        out.end(point);
        out.end(port);
        EXPECT_TRUE(out.finish());
    }
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text += static_cast<char>(c);
    std::fclose(file);
    EXPECT_NE(text.find("lv2:index 3"), std::string::npos) << text;
    EXPECT_NE(text.find("lv2:default 0.5"), std::string::npos) << text;
    EXPECT_NE(text.find("rdfs:label \"-2\""), std::string::npos) << text;
    EXPECT_NE(text.find("lv2:port ["), std::string::npos) << text;
    EXPECT_NE(text.find("lv2:scalePoint ["), std::string::npos) << text;
}
