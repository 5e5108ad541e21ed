#include "tools/walk/ModalDriver.h"

#include "toolkit/QX_Button.h"
#include "toolkit/QX_MessageDlg.h"

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <cstdio>

ModalDriver::ModalDriver(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::Poll);
    m_timer.start(20);
}

QString ModalDriver::MessageLine(const QX_MessageDlg& box) {
    QStringList parts{QStringLiteral("message ") + box.m_strTitle};
    for (int i = 0; i < box.RecordCount(); ++i) {
        const QX_MsgLine* line = box.Record(i);
        if (line != nullptr && line->gap == 0)
            parts << QX_MessageDlg::RecordText(*line);
    }
    return parts.join(QStringLiteral(" | "));
}

void ModalDriver::Poll() {
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr || !top->isVisible() || m_seen.contains(top))
        return;
    // Marked before acting: the action may run nested loops in which this timer fires again.
    m_seen.append(top);
    if (AnswerMessage(top))
        return;
    for (int i = 0; i < m_pending.size(); ++i) {
        auto action = m_pending.at(i);
        // Taken off before it runs, so a nested poll cannot run it twice.
        m_pending.removeAt(i);
        if (action(top))
            return;
        m_pending.insert(i, action);
    }
    // No action wanted this window: look at it again when it is on top next time.
    m_seen.removeAll(top);
}

bool ModalDriver::AnswerMessage(QWidget* widget) {
    auto* box = qobject_cast<QX_MessageDlg*>(widget);
    if (box == nullptr)
        return false;
    const QString line = MessageLine(*box);
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
    ++m_nMessages;
    Q_EMIT MessageAnswered(line);
    // OK is the default button of every box; queued so that the box finishes showing first.
    QTimer::singleShot(0, box, [box] { box->OkButton()->Click(); });
    return true;
}
