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
        if (!m_pending.at(i).matches(top))
            continue;
        // Taken off before it runs, so a later poll cannot run it twice. It runs from the event
        // queue, not from this timer's handler: a timer does not fire again while its handler
        // is still running, so message boxes the action opens would never be answered.
        const auto run = m_pending.takeAt(i).run;
        QMetaObject::invokeMethod(
            this,
            [run, window = QPointer<QWidget>(top)] {
                if (window)
                    run(window);
            },
            Qt::QueuedConnection);
        return;
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
    const int answer = m_answers.value(box->m_strTitle, IDOK);
    // OK is the default button of every box; queued so that the box finishes showing first.
    QTimer::singleShot(0, box, [box, answer] {
        QX_Button* button = answer == IDCANCEL ? box->CancelButton() : nullptr;
        (button ? button : box->OkButton())->Click();
    });
    return true;
}

void ModalDriver::SetAnswer(const QString& title, int answer) {
    m_answers.insert(title, answer);
}
