#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zwf {

// The lines of a list box, UTF-8, kept end to end in one text: a million lines cost their bytes
// and one offset each, not one string apiece.
class TextLines {
public:
    std::size_t Size() const { return m_ends.size(); }
    bool Empty() const { return m_ends.empty(); }
    std::size_t Bytes() const { return m_text.size(); }  // of all lines together
    std::string_view operator[](std::size_t index) const {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_text).substr(begin, m_ends[index] - begin);
    }

    void Reserve(std::size_t lines, std::size_t bytes) {
        m_ends.reserve(lines);
        m_text.reserve(bytes);
    }
    void Append(std::string_view line) {
        m_text.append(line);
        m_ends.push_back(m_text.size());
    }
    // The lines below move up; an index outside the lines removes nothing.
    void Remove(std::size_t index) {
        if (index >= m_ends.size())
            return;
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        const std::size_t length = m_ends[index] - begin;
        m_text.erase(begin, length);
        m_ends.erase(m_ends.begin() + static_cast<std::ptrdiff_t>(index));
        for (std::size_t i = index; i < m_ends.size(); ++i)
            m_ends[i] -= length;
    }
    void Clear() {
        m_text = {};
        m_ends = {};
    }

private:
    std::string m_text;
    std::vector<std::size_t> m_ends;  // where each line ends in m_text
};

}  // namespace zwf
