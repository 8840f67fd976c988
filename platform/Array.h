#pragma once
// Growable arrays. Resizing zero-fills new elements; every element access checks its index
// and throws std::invalid_argument outside the array.

#include "platform/Object.h"

#include <stdexcept>
#include <string>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject {
public:
    CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_data.empty(); }

    // growBy is accepted for source compatibility; growth is the vector's business.
    void SetSize(INT_PTR newSize, INT_PTR /*growBy*/ = -1) {
        if (newSize < 0)
            throw std::invalid_argument("CArray::SetSize: negative size");
        if (static_cast<std::size_t>(newSize) <= m_data.size()) {
            m_data.resize(static_cast<std::size_t>(newSize));
            return;
        }
        // Grown by appending: GCC 12 at -O3 mistakes resize() of a byte vector for an
        // out-of-bounds memmove.
        m_data.reserve(static_cast<std::size_t>(newSize));
        while (m_data.size() < static_cast<std::size_t>(newSize))
            m_data.push_back(TYPE{});
    }

    const TYPE& GetAt(INT_PTR i) const { return m_data[Checked(i)]; }
    TYPE& ElementAt(INT_PTR i) { return m_data[Checked(i)]; }
    void SetAt(INT_PTR i, ARG_TYPE value) { m_data[Checked(i)] = value; }
    const TYPE& operator[](INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return ElementAt(i); }

    INT_PTR Add(ARG_TYPE value) {
        m_data.push_back(value);
        return GetUpperBound();
    }
    void RemoveAll() { m_data.clear(); }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        if (count < 0 || i < 0 || i + count > GetSize())
            throw std::invalid_argument("CArray::RemoveAt: outside the array");
        // A plain shift: GCC 12 at -O2 misreads vector::erase here as an unbounded memmove.
        const auto first = static_cast<std::size_t>(i);
        const auto removed = static_cast<std::size_t>(count);
        for (std::size_t k = first; k + removed < m_data.size(); ++k)
            m_data[k] = m_data[k + removed];
        m_data.resize(m_data.size() - removed);
    }
    void Copy(const CArray& other) { m_data = other.m_data; }

    TYPE* GetData() { return m_data.data(); }
    const TYPE* GetData() const { return m_data.data(); }

private:
    std::size_t Checked(INT_PTR i) const {
        if (i < 0 || i >= GetSize())
            throw std::invalid_argument("CArray: index " + std::to_string(i) + " outside size " +
                                        std::to_string(GetSize()));
        return static_cast<std::size_t>(i);
    }

    std::vector<TYPE> m_data;
};

class CWordArray : public CArray<WORD, WORD> {};
class CByteArray : public CArray<BYTE, BYTE> {};
