#include "common/prog_ids.h"
#include "host/services.h"
#include "platform/error.h"
#include "platform/text.h"

namespace host {

namespace {

// Chunks are cut at about this many bytes and split again when an insert doubles one: small
// enough that finding a character inside a chunk is cheap, large enough that a 10 MB text is
// a few thousand chunks.
constexpr std::size_t kChunkBytes = 1024;

// Steps one character forward from byte i.
inline void StepChar(std::string_view s, std::size_t& i) {
    if (static_cast<unsigned char>(s[i]) < 0x80) ++i;
    else platform::text::DecodeUtf8(s, i);
}

long CountChars(std::string_view s) {
    long n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) StepChar(s, i);
    return n;
}

// Byte offset of character `chars` of s (s.size() when at or past the end).
std::size_t ByteOffset(std::string_view s, long chars) {
    std::size_t i = 0;
    for (long n = 0; n < chars && i < s.size(); ++n) StepChar(s, i);
    return i;
}

[[noreturn]] void OutOfRange(const char* operation, const std::string& what) {
    throw platform::Error(platform::errnum::InvalidOperation, std::string("StringBuilder.") + operation, what);
}

}  // namespace

void StringBuilder::SetChunkSize(long bytes) {
    if (bytes > 0) chunks_.reserve(static_cast<std::size_t>(bytes) / kChunkBytes + 1);
}

void StringBuilder::Split(std::size_t index) {
    if (chunks_[index].bytes.size() <= 2 * kChunkBytes) return;
    const std::string whole = std::move(chunks_[index].bytes);
    std::vector<Chunk> pieces;
    std::size_t start = 0;
    while (start < whole.size()) {
        std::size_t end = start;
        long chars = 0;
        while (end < whole.size() && end - start < kChunkBytes) {
            StepChar(whole, end);
            ++chars;
        }
        pieces.push_back({whole.substr(start, end - start), chars});
        start = end;
    }
    chunks_[index] = std::move(pieces.front());
    chunks_.insert(chunks_.begin() + static_cast<long>(index) + 1, std::make_move_iterator(pieces.begin() + 1),
                   std::make_move_iterator(pieces.end()));
}

std::size_t StringBuilder::Locate(long position, long& before) {
    if (chunks_.empty()) {
        before = 0;
        return 0;
    }
    std::size_t index = hintIndex_ < chunks_.size() ? hintIndex_ : 0;
    long b = hintIndex_ < chunks_.size() ? hintBefore_ : 0;
    // Walk from the last chunk used: edits tend to follow one another through the text.
    while (position < b && index > 0) b -= chunks_[--index].chars;
    while (index + 1 < chunks_.size() && position >= b + chunks_[index].chars) b += chunks_[index++].chars;
    hintIndex_ = index;
    hintBefore_ = b;
    before = b;
    return index;
}

void StringBuilder::Append(const std::string& text) {
    if (text.empty()) return;
    if (chunks_.empty()) chunks_.push_back({});
    Chunk& last = chunks_.back();
    last.bytes += text;
    const long added = CountChars(text);
    last.chars += added;
    length_ += added;
    Split(chunks_.size() - 1);
}

void StringBuilder::Insert(long start, const std::string& text) {
    if (start < 0 || start > length_)
        OutOfRange("Insert", "position " + std::to_string(start) + " is outside the text of " +
                                 std::to_string(length_) + " characters");
    if (text.empty()) return;
    if (chunks_.empty()) return Append(text);
    long before = 0;
    const std::size_t index = Locate(start, before);
    Chunk& chunk = chunks_[index];
    chunk.bytes.insert(ByteOffset(chunk.bytes, start - before), text);
    const long added = CountChars(text);
    chunk.chars += added;
    length_ += added;
    Split(index);
}

void StringBuilder::Remove(long start, long length) {
    if (start < 0 || length < 0 || start > length_ || length > length_ - start)
        OutOfRange("Remove", "characters " + std::to_string(start) + " to " + std::to_string(start + length) +
                                 " are outside the text of " + std::to_string(length_) + " characters");
    while (length > 0) {
        long before = 0;
        const std::size_t index = Locate(start, before);
        Chunk& chunk = chunks_[index];
        const long offset = start - before;
        const long take = std::min(chunk.chars - offset, length);
        const std::size_t from = ByteOffset(chunk.bytes, offset);
        const std::size_t to = from + ByteOffset(std::string_view(chunk.bytes).substr(from), take);
        chunk.bytes.erase(from, to - from);
        chunk.chars -= take;
        length_ -= take;
        length -= take;
        if (chunk.chars == 0) {
            chunks_.erase(chunks_.begin() + static_cast<long>(index));
            // The next chunk now sits at this index and starts where the removed one did.
            hintIndex_ = index < chunks_.size() ? index : 0;
            hintBefore_ = index < chunks_.size() ? before : 0;
        }
    }
}

std::string StringBuilder::ToString() const {
    std::size_t bytes = 0;
    for (const auto& c : chunks_) bytes += c.bytes.size();
    std::string out;
    out.reserve(bytes);
    for (const auto& c : chunks_) out += c.bytes;
    return out;
}

}  // namespace host
