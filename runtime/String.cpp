#include "runtime/String.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace orvalis {

String::Buffer* String::Allocate(std::size_t length) {
    void* memory = std::malloc(offsetof(Buffer, chars) + length + 1);
    if (!memory) throw std::bad_alloc();
    auto* buffer = new (memory) Buffer;
    buffer->references.store(1);
    buffer->length = length;
    buffer->chars[length] = '\0';
    return buffer;
}

void String::Release() {
    if (buffer_ && buffer_->references.fetch_sub(1) == 1) {
        buffer_->~Buffer();
        std::free(buffer_);
    }
    buffer_ = nullptr;
}

String::String(const char* text) : String(std::string_view(text ? text : "")) {}

String::String(std::string_view text) {
    if (text.empty()) return;
    buffer_ = Allocate(text.size());
    std::memcpy(buffer_->chars, text.data(), text.size());
}

String::String(const String& other) : buffer_(other.buffer_) {
    if (buffer_) buffer_->references.fetch_add(1);
}

String& String::operator=(const String& other) {
    if (buffer_ != other.buffer_) {
        if (other.buffer_) other.buffer_->references.fetch_add(1);
        Release();
        buffer_ = other.buffer_;
    }
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        Release();
        buffer_ = other.buffer_;
        other.buffer_ = nullptr;
    }
    return *this;
}

String String::OfLength(std::size_t length) {
    String result;
    if (length == 0) return result;
    result.buffer_ = Allocate(length);
    std::memset(result.buffer_->chars, 0, length);
    return result;
}

char* String::Data() {
    if (!buffer_) return nullptr;
    if (buffer_->references.load() > 1) {
        Buffer* copy = Allocate(buffer_->length);
        std::memcpy(copy->chars, buffer_->chars, buffer_->length);
        Release();
        buffer_ = copy;
    }
    return buffer_->chars;
}

String& String::operator+=(std::string_view tail) {
    if (tail.empty()) return *this;
    const std::size_t old = Length();
    Buffer* joined = Allocate(old + tail.size());
    if (old) std::memcpy(joined->chars, buffer_->chars, old);
    std::memcpy(joined->chars + old, tail.data(), tail.size());
    Release();
    buffer_ = joined;
    return *this;
}

String String::Substring(std::size_t start, std::size_t count) const {
    const std::string_view all = View();
    if (start >= all.size()) return {};
    return String(all.substr(start, count));
}

String operator+(const String& a, const String& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    String result(a);
    result += b;
    return result;
}
String operator+(const String& a, std::string_view b) {
    String r(a);
    r += b;
    return r;
}
String operator+(std::string_view a, const String& b) {
    String r(a);
    r += b;
    return r;
}
String operator+(const String& a, const char* b) { return a + std::string_view(b); }
String operator+(const char* a, const String& b) { return std::string_view(a) + b; }
String operator+(const String& a, const std::string& b) { return a + std::string_view(b); }
String operator+(const std::string& a, const String& b) { return std::string_view(a) + b; }

}  // namespace orvalis
