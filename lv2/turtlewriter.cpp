#include "lv2/turtlewriter.h"

#include <cstdlib>
#include <cstring>

namespace talvane::lv2 {

namespace {

constexpr int kMaxFloatDigits = 9;  // significant digits enough for every float to read back exactly
constexpr int kMaxFixedPlaces = 60; // places after the point enough for the smallest floats
constexpr const char* kXsd = "http://www.w3.org/2001/XMLSchema#";

const std::uint8_t* bytes(const std::string& text)
{
    return reinterpret_cast<const std::uint8_t*>(text.c_str());
}

} // namespace

std::string decimalText(float value)
{
    char text[96];
    for (int digits = 1; digits <= kMaxFloatDigits; ++digits)
    {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value)
            break;
    }
    // A Turtle decimal has no exponent: then as many places after the point as reading back needs.
    if (std::strpbrk(text, "eE"))
        for (int places = 1; places <= kMaxFixedPlaces; ++places)
        {
            std::snprintf(text, sizeof text, "%.*f", places, static_cast<double>(value));
            if (std::strtof(text, nullptr) == value)
                break;
        }
    std::string result = text;
    if (result.find('.') == std::string::npos)
        result += ".0";
    return result;
}

TurtleWriter::TurtleWriter(std::FILE* file)
{
    env = serd_env_new(nullptr);
    writer = serd_writer_new(SERD_TURTLE, static_cast<SerdStyle>(SERD_STYLE_ABBREVIATED | SERD_STYLE_CURIED),
                             env, nullptr, serd_file_sink, file);
    integerType = uri(std::string(kXsd) + "integer");
    decimalType = uri(std::string(kXsd) + "decimal");
    base64Type = uri(std::string(kXsd) + "base64Binary");
}

TurtleWriter::~TurtleWriter()
{
    serd_writer_free(writer);
    serd_env_free(env);
}

Term TurtleWriter::keep(SerdType type, std::string textOfNode, const SerdNode* datatype)
{
    texts.push_back(std::move(textOfNode));
    return {serd_node_from_string(type, bytes(texts.back())), datatype};
}

void TurtleWriter::prefix(const char* prefixName, const char* prefixUri)
{
    const Term nameTerm = keep(SERD_LITERAL, prefixName);
    const Term uriTerm = keep(SERD_URI, prefixUri);
    if (serd_writer_set_prefix(writer, &nameTerm.node, &uriTerm.node) != SERD_SUCCESS)
        failed = true;
}

Term TurtleWriter::name(const char* prefixedName)
{
    return keep(SERD_CURIE, prefixedName);
}

Term TurtleWriter::uri(const std::string& uriText)
{
    return keep(SERD_URI, uriText);
}

Term TurtleWriter::text(const std::string& literal)
{
    return keep(SERD_LITERAL, literal);
}

Term TurtleWriter::integer(long long value)
{
    return keep(SERD_LITERAL, std::to_string(value), &integerType.node);
}

Term TurtleWriter::decimal(float value)
{
    return keep(SERD_LITERAL, decimalText(value), &decimalType.node);
}

Term TurtleWriter::blob(const void* data, std::size_t size)
{
    SerdNode encoded = serd_node_new_blob(data, size, false);
    std::string textOfNode(encoded.buf ? reinterpret_cast<const char*>(encoded.buf) : "", encoded.n_bytes);
    serd_node_free(&encoded);
    return keep(SERD_LITERAL, std::move(textOfNode), &base64Type.node);
}

Term TurtleWriter::newBlank()
{
    return keep(SERD_BLANK, "b" + std::to_string(++blankCount));
}

bool TurtleWriter::insideBlank(const Term& subject) const
{
    return subject.node.type == SERD_BLANK && !openBlanks.empty() &&
           openBlanks.back() == reinterpret_cast<const char*>(subject.node.buf);
}

void TurtleWriter::write(SerdStatementFlags flags, const Term& subject, const Term& predicate, const Term& object)
{
    if (insideBlank(subject))
        flags |= SERD_ANON_CONT;
    if (serd_writer_write_statement(writer, flags, nullptr, &subject.node, &predicate.node, &object.node,
                                    object.datatype, nullptr) != SERD_SUCCESS)
        failed = true;
}

void TurtleWriter::statement(const Term& subject, const Term& predicate, const Term& object)
{
    write(0, subject, predicate, object);
}

void TurtleWriter::beginBlank(const Term& subject, const Term& predicate, const Term& blank)
{
    write(SERD_ANON_O_BEGIN, subject, predicate, blank);
    openBlanks.emplace_back(reinterpret_cast<const char*>(blank.node.buf));
}

void TurtleWriter::end(const Term& blank)
{
    if (serd_writer_end_anon(writer, &blank.node) != SERD_SUCCESS)
        failed = true;
    if (!openBlanks.empty())
        openBlanks.pop_back();
}

bool TurtleWriter::finish()
{
    if (serd_writer_finish(writer) != SERD_SUCCESS)
        failed = true;
    return !failed;
}

} // namespace talvane::lv2
