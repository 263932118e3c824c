// Writes Turtle through serd's writer, which takes care of the syntax (escapes, abbreviations,
// prefixed names); this class only keeps the texts of the nodes alive while serd uses them.
#pragma once

#include <serd/serd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

namespace talvane::lv2 {

// A node and, for a number, its datatype.
struct Term
{
    SerdNode node;
    const SerdNode* datatype = nullptr;
};

class TurtleWriter
{
public:
    // Writes to `file`, which the caller opens and closes.
    explicit TurtleWriter(std::FILE* file);
    ~TurtleWriter();
    TurtleWriter(const TurtleWriter&) = delete;
    TurtleWriter& operator=(const TurtleWriter&) = delete;

    void prefix(const char* name, const char* uri);

    // Nodes. A name with a prefix ("lv2:Plugin"), a URI (absolute, or relative to the bundle), a
    // plain string, numbers and blank nodes.
    Term name(const char* prefixedName);
    Term uri(const std::string& uri);
    Term text(const std::string& text);
    Term integer(long long value);
    // The shortest decimal that reads back as exactly `value` in single precision.
    Term decimal(float value);
    // Bytes as a base64 literal (xsd:base64Binary), which lilv reads back as an atom:Chunk.
    Term blob(const void* data, std::size_t size);
    Term newBlank();

    // subject predicate object .  (or ; or , as serd abbreviates it)
    void statement(const Term& subject, const Term& predicate, const Term& object);
    // subject predicate [ ... ]: the statements about `blank` follow with the same subject, then end().
    void beginBlank(const Term& subject, const Term& predicate, const Term& blank);
    void end(const Term& blank);

    // False if serd reported an error on the way.
    bool finish();

private:
    Term keep(SerdType type, std::string textOfNode, const SerdNode* datatype = nullptr);
    void write(SerdStatementFlags flags, const Term& subject, const Term& predicate, const Term& object);
    bool insideBlank(const Term& subject) const;

    SerdEnv* env = nullptr;
    SerdWriter* writer = nullptr;
    std::deque<std::string> texts; // node strings, stable while the writer lives
    // Blank nodes being written, innermost last: statements about them continue one.
    std::deque<std::string> openBlanks;
    Term integerType;
    Term decimalType;
    Term base64Type;
    int blankCount = 0;
    bool failed = false;
};

// The text of `value` that TurtleWriter::decimal writes: shortest round trip, always with a point.
std::string decimalText(float value);

} // namespace talvane::lv2
