#pragma once

#include <QByteArray>
#include <memory>

namespace report {

// Deflates page pictures for keeping in memory, in the form qUncompress reads (the length
// as 4 bytes big-endian, then a zlib stream). One compressor state serves every page:
// setting one up costs more than deflating a page of table rows at the fastest level.
class PageDeflater {
public:
    PageDeflater();
    ~PageDeflater();
    PageDeflater(const PageDeflater &) = delete;
    PageDeflater &operator=(const PageDeflater &) = delete;

    QByteArray deflate(const QByteArray &data);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace report
