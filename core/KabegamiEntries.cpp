// SPDX-License-Identifier: MIT
#include "KabegamiEntries.h"

#include "LargePages.h"
#include "Utf8.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <new>

namespace velmora {

namespace {
std::uint32_t Place(std::size_t offset) {
    if (offset > std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    return std::uint32_t(offset);
}

// Room for more on top of what c holds, growing by half at least: lists are built by
// adding one entry at a time.
template <typename Container> void Grow(Container& c, std::size_t more) {
    const std::size_t needed = c.size() + more;
    if (needed > c.capacity())
        c.reserve(std::max(needed, c.capacity() + c.capacity() / 2));
}
} // namespace

KabegamiEntries::KabegamiEntries(std::initializer_list<KabegamiEntryView> entries) {
    for (const KabegamiEntryView& entry : entries)
        push_back(entry);
}

const KabegamiEntryView KabegamiEntries::operator[](std::size_t index) const {
    const std::size_t first = index * kFields;
    return {At(first), At(first + 1), At(first + 2), At(first + 3)};
}

std::string_view KabegamiEntries::TextOfEntry(std::size_t index) const {
    const Span* const f = fields_.data() + index * kFields;
    const std::size_t end = std::size_t(f[3].begin) + f[3].size;
    if (f[0].begin >= text_.size() || end > validUtf8Text_)
        return {};
    for (std::size_t i = 1; i < kFields; ++i) {
        if (f[i].begin != std::size_t(f[i - 1].begin) + f[i - 1].size + 1)
            return {};
    }
    return std::string_view(text_).substr(f[0].begin, end - f[0].begin);
}

void KabegamiEntries::push_back(const KabegamiEntryView& entry) {
    const std::string_view fields[] = {entry.Folder, entry.FileName, entry.KabegamiPath,
                                       entry.CopiedToPic};
    // Views into the added text would dangle once it grows: copy them out first.
    const std::less_equal<const char*> notAfter;
    for (const std::string_view field : fields) {
        if (!added_.empty() && notAfter(added_.data(), field.data()) &&
            notAfter(field.data(), added_.data() + added_.size())) {
            push_back(ToEntry(entry));
            return;
        }
    }
    std::size_t bytes = 0;
    for (const std::string_view field : fields)
        bytes += field.size();
    Place(TextSize() + bytes);
    // Room first, so that a failure leaves the list as it was.
    Grow(fields_, kFields);
    Grow(added_, bytes);
    for (const std::string_view field : fields)
        AppendField(field);
}

void KabegamiEntries::clear() {
    // Gives the memory back: a list can be tens of megabytes.
    std::string().swap(text_);
    std::string().swap(added_);
    std::vector<Span>().swap(fields_);
    validUtf8Text_ = 0;
    allValidUtf8_ = true;
}

void KabegamiEntries::reserve(std::size_t entries, std::size_t textBytes) {
    const Span* const was = fields_.data();
    fields_.reserve(fields_.size() + entries * kFields);
    // A read list's places are 3 MB at 100,000 entries, all filled at once.
    if (fields_.data() != was)
        RequestLargePages(fields_.data() + fields_.size(),
                          (fields_.capacity() - fields_.size()) * sizeof(Span));
    added_.reserve(added_.size() + textBytes);
}

bool operator==(const KabegamiEntries& a, const KabegamiEntries& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

void KabegamiEntries::AdoptText(std::string bytes, std::size_t validUtf8) {
    Place(bytes.size());
    clear();
    text_ = std::move(bytes);
    validUtf8Text_ = std::min(validUtf8, text_.size());
}

void KabegamiEntries::AddField(const char* inText, std::size_t size) {
    const std::size_t begin = std::size_t(inText - text_.data());
    fields_.push_back({Place(begin), Place(size)});
    // A field cut out of valid text at ASCII delimiters is valid itself.
    if (begin + size > validUtf8Text_)
        allValidUtf8_ = false;
}

void KabegamiEntries::AppendField(std::string_view field) {
    const std::uint32_t begin = Place(TextSize());
    Place(TextSize() + field.size());
    Grow(fields_, 1);
    const bool valid = !allValidUtf8_ || IsValidUtf8(field);
    added_.append(field);
    fields_.push_back({begin, std::uint32_t(field.size())});
    allValidUtf8_ = allValidUtf8_ && valid;
}

void KabegamiEntries::DropIncompleteEntry() {
    fields_.resize(fields_.size() - fields_.size() % kFields);
}

} // namespace velmora
