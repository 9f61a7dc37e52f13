#pragma once
// The framework's text type: a reference-counted, copy-on-write byte string.
// An empty text holds no buffer at all; copies share one buffer, and the first
// change made through one holder gives that holder a private copy. Texts are
// UTF-8 on this platform (file names pass through unchanged).

#include <atomic>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvalis {

class String {
public:
    String() = default;
    String(const char* text);
    String(std::string_view text);
    String(const std::string& text) : String(std::string_view(text)) {}
    String(const char* data, std::size_t length) : String(std::string_view(data, length)) {}
    String(const String& other);
    String(String&& other) noexcept : buffer_(other.buffer_) { other.buffer_ = nullptr; }
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    ~String() { Release(); }

    // A text of `length` bytes, every byte zero, ready to be filled through Data().
    static String OfLength(std::size_t length);

    std::size_t Length() const { return buffer_ ? buffer_->length : 0; }
    bool IsEmpty() const { return buffer_ == nullptr; }
    // Never null: an empty text gives "".
    const char* CStr() const { return buffer_ ? buffer_->chars : ""; }
    std::string_view View() const { return {CStr(), Length()}; }
    std::string ToStdString() const { return std::string(View()); }
    char operator[](std::size_t index) const { return buffer_->chars[index]; }

    // Writable bytes: unshares the buffer first (copy on write). Null when empty.
    char* Data();
    // How many holders share this text's buffer (0 for the empty text).
    int ShareCount() const { return buffer_ ? buffer_->references.load() : 0; }
    // Whether two texts share one buffer (tests use it to show that no copy was made).
    bool SharesBufferWith(const String& other) const { return buffer_ == other.buffer_; }

    String& operator+=(std::string_view tail);
    String& operator+=(const String& tail) { return *this += tail.View(); }
    String& operator+=(const char* tail) { return *this += std::string_view(tail); }
    String& operator+=(const std::string& tail) { return *this += std::string_view(tail); }
    String& operator+=(char c) { return *this += std::string_view(&c, 1); }

    String Substring(std::size_t start, std::size_t count = std::string_view::npos) const;

    friend bool operator==(const String& a, const String& b) { return a.View() == b.View(); }
    friend bool operator==(const String& a, std::string_view b) { return a.View() == b; }
    friend bool operator==(const String& a, const char* b) { return a.View() == std::string_view(b); }
    friend bool operator==(const String& a, const std::string& b) { return a.View() == std::string_view(b); }
    friend std::strong_ordering operator<=>(const String& a, const String& b) { return a.View() <=> b.View(); }

private:
    struct Buffer {
        std::atomic<int> references;
        std::size_t length;
        char chars[1];
    };
    static Buffer* Allocate(std::size_t length);
    void Release();

    Buffer* buffer_ = nullptr;
};

String operator+(const String& a, const String& b);
String operator+(const String& a, std::string_view b);
String operator+(std::string_view a, const String& b);
String operator+(const String& a, const char* b);
String operator+(const char* a, const String& b);
String operator+(const String& a, const std::string& b);
String operator+(const std::string& a, const String& b);

}  // namespace orvalis
