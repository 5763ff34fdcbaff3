#pragma once

#include <QByteArray>

#include <optional>

namespace signlink {

// Collects the characters the sign sends into lines. A line ends at a line feed, which is not
// part of it; a carriage return is an ordinary character and stays in the line. A line that
// grows past MaxLineLength without a line feed is dropped, like a line cut by the time-out, so a
// babbling device cannot make the buffer grow without bound: everything up to its next line
// feed is discarded.
class LineBuffer {
public:
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    // Takes one received character; returns the finished line when it is a line feed.
    std::optional<QByteArray> append(char c);

    // Forgets the unfinished line (and any line being discarded).
    void clear();

    bool isEmpty() const { return m_line.isEmpty() && !m_discarding; }
    // Whether the characters up to the next line feed are being thrown away (after the cap).
    bool isDiscarding() const { return m_discarding; }
    const QByteArray &text() const { return m_line; }

private:
    QByteArray m_line;
    bool m_discarding = false;
};

} // namespace signlink
