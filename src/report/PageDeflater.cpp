#include "report/PageDeflater.h"

#include <zlib.h>

namespace report {

struct PageDeflater::State {
    z_stream stream{};
    bool ready = false;
};

PageDeflater::PageDeflater() : m_state(std::make_unique<State>()) {
    m_state->ready = deflateInit(&m_state->stream, Z_BEST_SPEED) == Z_OK;
}

PageDeflater::~PageDeflater() {
    if (m_state->ready)
        deflateEnd(&m_state->stream);
}

QByteArray PageDeflater::deflate(const QByteArray &data) {
    if (!m_state->ready || deflateReset(&m_state->stream) != Z_OK)
        return qCompress(data, 1);
    z_stream &z = m_state->stream;
    const uLong bound = deflateBound(&z, uLong(data.size()));
    QByteArray out(qsizetype(4 + bound), Qt::Uninitialized);
    const quint32 length = quint32(data.size());
    out[0] = char(length >> 24);
    out[1] = char(length >> 16);
    out[2] = char(length >> 8);
    out[3] = char(length);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data() + 4);
    z.avail_out = uInt(bound);
    if (::deflate(&z, Z_FINISH) != Z_STREAM_END)
        return qCompress(data, 1);
    out.resize(qsizetype(4 + z.total_out));
    out.squeeze();
    return out;
}

} // namespace report
