#include "json_text.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace platform {
namespace {

QJsonObject toQt(const JsonObject& object)
{
    QJsonObject out;
    for (const JsonObject::Field& f : object.fields()) {
        const QString key = QString::fromUtf8(f.key.data(), qsizetype(f.key.size()));
        switch (f.kind) {
        case JsonObject::Field::Number:
            out.insert(key, qint64(f.number));
            break;
        case JsonObject::Field::Text:
            // Bytes that are not UTF-8 become U+FFFD here.
            out.insert(key, QString::fromUtf8(f.text.data(), qsizetype(f.text.size())));
            break;
        case JsonObject::Field::Object:
            out.insert(key, toQt(f.object));
            break;
        case JsonObject::Field::Null:
            out.insert(key, QJsonValue(QJsonValue::Null));
            break;
        }
    }
    return out;
}

}  // namespace

JsonObject& JsonObject::number(const std::string& key, long long value)
{
    fields_.push_back({Field::Number, key, value, {}, {}});
    return *this;
}

JsonObject& JsonObject::text(const std::string& key, const std::string& bytes)
{
    fields_.push_back({Field::Text, key, 0, bytes, {}});
    return *this;
}

JsonObject& JsonObject::null(const std::string& key)
{
    fields_.push_back({Field::Null, key, 0, {}, {}});
    return *this;
}

JsonObject& JsonObject::object(const std::string& key, const JsonObject& value)
{
    fields_.push_back({Field::Object, key, 0, {}, value});
    return *this;
}

std::string JsonObject::compact() const
{
    return QJsonDocument(toQt(*this)).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace platform
