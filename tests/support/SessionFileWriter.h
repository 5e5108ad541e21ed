#pragma once

#include <QByteArray>
#include <QString>

// A Chromium session file written the way the browser appends to it: "SNSS", version 1, then
// one record (16-bit size, command byte, payload) per call.
class SessionFileWriter final {
  public:
    SessionFileWriter();

    void SetTabWindow(qint32 window, qint32 tab);
    void SetSelected(qint32 tab, qint32 index);
    // The entry at index of a tab's history; padding adds unread bytes to the record.
    void Navigation(qint32 tab, qint32 index, const QByteArray& url, const QString& title = {},
                    int padding = 0);
    void PruneFromBack(qint32 tab, qint32 from);
    void PruneFromFront(qint32 tab, qint32 count, int padding = 0);
    void PrunePath(qint32 tab, qint32 index, qint32 count);
    // Any record; its payload must leave the record within 65535 bytes.
    void Record(quint8 command, const QByteArray& payload);

    const QByteArray& Bytes() const { return m_bytes; }
    int Records() const { return m_nRecords; }

  private:
    QByteArray m_bytes;
    int m_nRecords = 0;
};
