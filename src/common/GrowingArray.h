// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

// An array of plain values (records, name bytes) that grows in place where it can: the C library
// moves a large block by remapping its pages, so a list of a million records never holds its old
// and its new copy at once. A vector's growth does, for a moment, and that moment was the peak
// memory of a scan.
template <class T> class GrowingArray {
    static_assert(std::is_trivially_copyable_v<T>, "values are moved as bytes");

public:
    GrowingArray() = default;
    GrowingArray(const GrowingArray&) = delete;
    GrowingArray& operator=(const GrowingArray&) = delete;
    GrowingArray(GrowingArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    GrowingArray& operator=(GrowingArray&& other) noexcept {
        if (this != &other) {
            std::free(m_data);
            m_data = std::exchange(other.m_data, nullptr);
            m_size = std::exchange(other.m_size, 0);
            m_capacity = std::exchange(other.m_capacity, 0);
        }
        return *this;
    }
    ~GrowingArray() { std::free(m_data); }

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::size_t capacity() const { return m_capacity; }
    const T* data() const { return m_data; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }

    void push_back(const T& value) {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = value;
    }
    void append(const T* values, std::size_t count) {
        if (count == 0)
            return;
        if (m_capacity - m_size < count)
            grow(m_size + count);
        std::memcpy(static_cast<void*>(m_data + m_size), values, count * sizeof(T));
        m_size += count;
    }
    void append(std::string_view bytes) requires std::is_same_v<T, char> {
        append(bytes.data(), bytes.size());
    }
    // Empties the array and gives its memory back.
    void clear() {
        std::free(m_data);
        m_data = nullptr;
        m_size = m_capacity = 0;
    }

private:
    void grow(std::size_t least) {
        const std::size_t capacity = std::max({least, m_capacity * 2, 4096 / sizeof(T) + 1});
        void* moved = std::realloc(static_cast<void*>(m_data), capacity * sizeof(T));
        if (!moved)
            throw std::bad_alloc();
        m_data = static_cast<T*>(moved);
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
