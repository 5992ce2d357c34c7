#pragma once
// A JSON object made in plain C++ and written by the toolkit's JSON classes,
// so that what comes out is always valid JSON in UTF-8: text that is not
// UTF-8 (a file name is just bytes) shows U+FFFD where it breaks.
#include <string>
#include <vector>

namespace platform {

class JsonObject {
public:
    JsonObject& number(const std::string& key, long long value);
    JsonObject& text(const std::string& key, const std::string& bytes);
    JsonObject& null(const std::string& key);
    JsonObject& object(const std::string& key, const JsonObject& value);

    // On one line, without a line end; the keys in the toolkit's order.
    std::string compact() const;

    struct Field;
    const std::vector<Field>& fields() const { return fields_; }

private:
    std::vector<Field> fields_;
};

struct JsonObject::Field {
    enum Kind { Number, Text, Null, Object } kind;
    std::string key;
    long long number = 0;
    std::string text;
    JsonObject object;
};

}  // namespace platform
