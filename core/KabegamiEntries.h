// SPDX-License-Identifier: MIT
#pragma once

#include "KabegamiEntry.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The wallpaper list, compact: the fields' text in two buffers, and where each field lies.
// A list read from a UTF-8 file keeps the file's own bytes as the first buffer, so loading
// allocates twice, not once per field, and holds about 1.2 times the file; entries added
// later go to the second, so that adding one does not copy the file. Entries are read as
// KabegamiEntryView, which stays valid until the list changes.
class KabegamiEntries {
  public:
    KabegamiEntries() = default;
    KabegamiEntries(std::initializer_list<KabegamiEntryView> entries);

    std::size_t size() const { return fields_.size() / kFields; }
    bool empty() const { return fields_.empty(); }
    // const: a field of the view cannot be assigned, which would change nothing.
    const KabegamiEntryView operator[](std::size_t index) const;
    const KabegamiEntryView back() const { return (*this)[size() - 1]; }

    void push_back(const KabegamiEntryView& entry);
    void clear();
    // Room for entries whose fields hold textBytes in all, on top of what the list holds.
    void reserve(std::size_t entries, std::size_t textBytes = 0);

    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = KabegamiEntryView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = const KabegamiEntryView;

        const_iterator() = default;
        const_iterator(const KabegamiEntries* list, std::size_t index)
            : list_(list), index_(index) {}
        const KabegamiEntryView operator*() const { return (*list_)[index_]; }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++index_;
            return was;
        }
        difference_type operator-(const const_iterator& other) const {
            return difference_type(index_) - difference_type(other.index_);
        }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;

      private:
        const KabegamiEntries* list_ = nullptr;
        std::size_t index_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    friend bool operator==(const KabegamiEntries& a, const KabegamiEntries& b);

    // Whether every field is valid UTF-8: checked once, as a field comes in, so that writing
    // the list does not check all its fields again.
    bool AllValidUtf8() const { return allValidUtf8_; }
    // The adopted text from the entry's first field to the end of its last, when its four
    // fields lie there in order, one byte apart, in what was checked as UTF-8; else empty.
    std::string_view TextOfEntry(std::size_t index) const;

    // For the list file's reader. AdoptText makes bytes the buffer (only on an empty list),
    // of which the first validUtf8 bytes are known to be valid UTF-8; AddField then names a
    // field inside it, AppendField copies one in. Every four fields make an entry;
    // DropIncompleteEntry forgets the fields of one that was not completed.
    void AdoptText(std::string bytes, std::size_t validUtf8);
    std::string_view AdoptedText() const { return text_; }
    // The bytes of every field and of what lies between those of an adopted text.
    std::size_t TextSize() const { return text_.size() + added_.size(); }
    void AddField(const char* inText, std::size_t size);
    void AppendField(std::string_view field);
    void DropIncompleteEntry();

  private:
    static constexpr std::size_t kFields = 4;
    // 32-bit places: a list's text is kept under 4 GiB (beyond, adding throws bad_alloc,
    // which every caller reports as out of memory).
    struct Span {
        std::uint32_t begin;
        std::uint32_t size;
    };
    // Places past the adopted text are in the added text.
    std::string_view At(std::size_t field) const {
        const Span s = fields_[field];
        return s.begin < text_.size()
                   ? std::string_view(text_.data() + s.begin, s.size)
                   : std::string_view(added_.data() + (s.begin - text_.size()), s.size);
    }

    std::string text_;
    std::size_t validUtf8Text_ = 0;
    std::string added_;
    std::vector<Span> fields_;
    bool allValidUtf8_ = true;
};

} // namespace velmora
