#pragma once

#include <QHash>
#include <QString>

namespace report {

// Widths of texts in one font, kept per text: columns of numbers repeat a few values
// thousands of times, and shaping each again would be most of the cost of a record.
template <typename Width> class TextWidths {
public:
    // The width of text, measured with measure(text) the first time it is asked for.
    template <typename Measure> Width of(const QString &text, Measure measure) {
        if (const auto hit = m_widths.constFind(text); hit != m_widths.constEnd())
            return *hit;
        if (m_widths.size() >= kMaxTexts)
            m_widths.clear();
        const Width width = measure(text);
        m_widths.insert(text, width);
        return width;
    }
    // Forgets every width, as when the font changes.
    void clear() { m_widths.clear(); }

private:
    static constexpr qsizetype kMaxTexts = 4096;
    QHash<QString, Width> m_widths;
};

} // namespace report
