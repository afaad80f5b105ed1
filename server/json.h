// A small JSON writer for the server's answers: objects, arrays, strings (escaped), integers and
// numbers. It writes what it is told in order; callers keep keys and values paired.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class JsonWriter {
public:
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    // The key of the next value in an object.
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(int64_t number);
    JsonWriter& value(uint32_t number) { return value(static_cast<int64_t>(number)); }
    JsonWriter& value(int number) { return value(static_cast<int64_t>(number)); }
    // The shortest text that reads back as the same double; null when not finite.
    JsonWriter& value(double number);
    JsonWriter& value(bool flag);

    const std::string& text() const { return out_; }

private:
    void separate();

    std::string out_;
    bool first_ = true;  // nothing written yet in the current object or array
};

// `text` as a JSON string, quotes included. Bytes that are not valid UTF-8 become U+FFFD.
std::string json_quote(std::string_view text);

// {"error": message}
std::string json_error(std::string_view message);
