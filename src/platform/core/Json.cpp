#include "Json.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <string>

using json = nlohmann::ordered_json;

struct TJsonObject::TValue {
    json Value = json::object();
};

namespace {

std::string Utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QString FromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Deeper texts are refused: the writer, which serialises a nested value read as a string,
// recurses once per level, and the messages of the system nest only a few levels.
constexpr int MaxDepth = 512;

// A peer built like us sends control characters raw inside strings; the strict parser wants them
// escaped, so they are escaped before parsing. Returns false for a text nested too deeply.
bool EscapeRawControls(const std::string &text, std::string &out)
{
    out.reserve(text.size());
    bool inString = false;
    bool escaped = false;
    int depth = 0;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (ch == '\\') {
                escaped = true;
            } else if (ch == '"') {
                inString = false;
            } else if (byte < 0x20) {
                static const char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0xF];
                continue;
            }
        } else if (ch == '"') {
            inString = true;
        } else if ((ch == '[' || ch == '{') && ++depth > MaxDepth) {
            return false;
        } else if (ch == ']' || ch == '}') {
            --depth;
        }
        out += ch;
    }
    return true;
}

void WriteString(const std::string &text, std::string &out)
{
    out += '"';
    for (const char ch : text) {
        if (ch == '\0')
            break;
        if (ch == '"' || ch == '\\' || ch == '/')
            out += '\\';
        out += ch;
    }
    out += '"';
}

void Write(const json &value, std::string &out)
{
    switch (value.type()) {
    case json::value_t::object: {
        out += '{';
        bool first = true;
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!first)
                out += ',';
            first = false;
            WriteString(it.key(), out);
            out += ':';
            Write(it.value(), out);
        }
        out += '}';
        break;
    }
    case json::value_t::array: {
        out += '[';
        bool first = true;
        for (const json &element : value) {
            if (!first)
                out += ',';
            first = false;
            Write(element, out);
        }
        out += ']';
        break;
    }
    case json::value_t::string:
        WriteString(value.get_ref<const std::string &>(), out);
        break;
    default: // numbers, booleans, null
        out += value.dump();
        break;
    }
}

const json *Find(const json &object, const QString &key)
{
    if (!object.is_object())
        return nullptr;
    const auto it = object.find(Utf8(key));
    return it == object.end() ? nullptr : &*it;
}

} // namespace

TJsonObject::TJsonObject() : FValue(std::make_unique<TValue>()) {}
TJsonObject::TJsonObject(std::unique_ptr<TValue> value) : FValue(std::move(value)) {}
TJsonObject::TJsonObject(const TJsonObject &other) : FValue(std::make_unique<TValue>(*other.FValue)) {}
TJsonObject &TJsonObject::operator=(const TJsonObject &other)
{
    if (this != &other)
        FValue = std::make_unique<TValue>(*other.FValue);
    return *this;
}
TJsonObject::TJsonObject(TJsonObject &&) noexcept = default;
TJsonObject &TJsonObject::operator=(TJsonObject &&) noexcept = default;
TJsonObject::~TJsonObject() = default;

TJsonObject TJsonObject::Parse(const QString &text)
{
    TJsonObject result;
    if (!TryParse(text, result))
        throw EJsonError("not a JSON text: " + Utf8(text.left(64)));
    return result;
}

bool TJsonObject::TryParse(const QString &text, TJsonObject &out)
{
    std::string escaped;
    if (!EscapeRawControls(Utf8(text), escaped))
        return false;
    json parsed = json::parse(escaped, nullptr, false);
    if (parsed.is_discarded())
        return false;
    auto value = std::make_unique<TValue>();
    value->Value = std::move(parsed);
    out = TJsonObject(std::move(value));
    return true;
}

bool TJsonObject::IsObject() const { return FValue->Value.is_object(); }
bool TJsonObject::Has(const QString &key) const { return Find(FValue->Value, key) != nullptr; }

void TJsonObject::Put(const QString &key, qint64 value) { FValue->Value[Utf8(key)] = value; }
void TJsonObject::Put(const QString &key, bool value) { FValue->Value[Utf8(key)] = value; }
void TJsonObject::Put(const QString &key, const QString &value) { FValue->Value[Utf8(key)] = Utf8(value); }
void TJsonObject::Put(const QString &key, const TJsonObject &value) { FValue->Value[Utf8(key)] = value.FValue->Value; }

void TJsonObject::Append(const TJsonObject &value)
{
    json &self = FValue->Value;
    if (!self.is_array())
        self = json::array();
    self.push_back(value.FValue->Value);
}

qint64 TJsonObject::GetInt(const QString &key) const
{
    const json *v = Find(FValue->Value, key);
    if (!v)
        return 0;
    switch (v->type()) {
    case json::value_t::number_integer:
        return v->get<qint64>();
    case json::value_t::number_unsigned:
        return qint64(v->get<quint64>());
    case json::value_t::number_float: {
        const double d = v->get<double>();
        return std::isfinite(d) ? qint64(std::llround(d)) : 0;
    }
    case json::value_t::boolean:
        return v->get<bool>() ? 1 : 0;
    case json::value_t::string: {
        bool ok = false;
        const qint64 n = FromUtf8(v->get_ref<const std::string &>()).toLongLong(&ok);
        return ok ? n : 0;
    }
    default:
        return 0;
    }
}

bool TJsonObject::GetBool(const QString &key) const
{
    const json *v = Find(FValue->Value, key);
    if (!v)
        return false;
    switch (v->type()) {
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float:
        return v->get<double>() != 0.0;
    case json::value_t::boolean:
        return v->get<bool>();
    case json::value_t::string:
        return !v->get_ref<const std::string &>().empty();
    case json::value_t::null:
        return false;
    default: // object or array
        return true;
    }
}

QString TJsonObject::GetStr(const QString &key) const
{
    const json *v = Find(FValue->Value, key);
    if (!v)
        return {};
    if (v->is_string())
        return FromUtf8(v->get_ref<const std::string &>());
    std::string text;
    Write(*v, text);
    return FromUtf8(text);
}

TJsonObject TJsonObject::GetObject(const QString &key) const
{
    auto value = std::make_unique<TValue>();
    const json *v = Find(FValue->Value, key);
    value->Value = v ? *v : json();
    return TJsonObject(std::move(value));
}

int TJsonObject::Count() const
{
    const json &self = FValue->Value;
    return self.is_array() || self.is_object() ? int(self.size()) : 0;
}

TJsonObject TJsonObject::At(int index) const
{
    auto value = std::make_unique<TValue>();
    const json &self = FValue->Value;
    if (self.is_array() && index >= 0 && size_t(index) < self.size())
        value->Value = self[size_t(index)];
    else
        value->Value = json();
    return TJsonObject(std::move(value));
}

QString TJsonObject::ToText() const
{
    std::string text;
    Write(FValue->Value, text);
    return FromUtf8(text);
}
