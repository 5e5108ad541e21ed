#include "tests/support/SessionFileWriter.h"

#include <QtEndian>

namespace {
QByteArray Ints(std::initializer_list<qint32> values) {
    QByteArray bytes;
    for (const qint32 v : values) {
        char le[4];
        qToLittleEndian<qint32>(v, le);
        bytes.append(le, 4);
    }
    return bytes;
}

void Pad4(QByteArray* bytes) {
    bytes->append((4 - bytes->size() % 4) % 4, '\0');
}
} // namespace

SessionFileWriter::SessionFileWriter() : m_bytes("SNSS" + Ints({1})) {}

void SessionFileWriter::SetTabWindow(qint32 window, qint32 tab) {
    Record(0, Ints({window, tab}));
}

void SessionFileWriter::SetSelected(qint32 tab, qint32 index) {
    Record(7, Ints({tab, index}));
}

void SessionFileWriter::Navigation(qint32 tab, qint32 index, const QByteArray& url,
                                   const QString& title, int padding) {
    // A pickle: its size, the tab, the index, the address (bytes) and the title (UTF-16).
    QByteArray pickle = Ints({tab, index, qint32(url.size())}) + url;
    Pad4(&pickle);
    pickle += Ints({qint32(title.size())});
    for (const QChar c : title)
        pickle += Ints({c.unicode()}).left(2);
    Pad4(&pickle);
    Record(6, Ints({qint32(pickle.size())}) + pickle + QByteArray(padding, '\0'));
}

void SessionFileWriter::PruneFromBack(qint32 tab, qint32 from) {
    Record(5, Ints({tab, from}));
}

void SessionFileWriter::PruneFromFront(qint32 tab, qint32 count, int padding) {
    Record(11, Ints({tab, count}) + QByteArray(padding, '\0'));
}

void SessionFileWriter::PrunePath(qint32 tab, qint32 index, qint32 count) {
    Record(24, Ints({tab, index, count}));
}

void SessionFileWriter::Record(quint8 command, const QByteArray& payload) {
    char size[2];
    qToLittleEndian<quint16>(quint16(payload.size() + 1), size);
    m_bytes.append(size, 2);
    m_bytes.append(char(command));
    m_bytes.append(payload);
    ++m_nRecords;
}
