#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;
class QX_MessageDlg;

// Works the program's modal windows from outside their loops, as an unattended user would.
// Every message box that comes up is printed as one line, `message TITLE | LINE | LINE ...`,
// and answered with its default button (OK). Actions queued with OnNextModal run inside the
// modal loop of the first modal window of their kind; they may open further modal windows
// (the driver keeps working in every nested loop).
class ModalDriver final : public QObject {
    Q_OBJECT

  public:
    explicit ModalDriver(QObject* parent = nullptr);

    // Runs action once, on the first modal widget of type T that is shown on top.
    template <class T> void OnNextModal(std::function<void(T*)> action) {
        m_pending.append(
            Pending{[](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
                    [action](QWidget* widget) { action(qobject_cast<T*>(widget)); }});
    }
    // Answers every message box titled title with answer (IDOK or IDCANCEL) instead of OK.
    void SetAnswer(const QString& title, int answer);
    // Whether queued actions are still waiting for their window.
    bool HasPending() const { return !m_pending.isEmpty(); }
    // Number of message boxes answered so far.
    int MessageCount() const { return m_nMessages; }
    // The printed line of a message box: `message TITLE | LINE | LINE ...` (gaps left out).
    static QString MessageLine(const QX_MessageDlg& box);

  Q_SIGNALS:
    // A message box was printed and is about to be answered.
    void MessageAnswered(const QString& line);

  private:
    void Poll();
    bool AnswerMessage(QWidget* widget);

    QTimer m_timer;
    struct Pending {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> run;
    };

    QList<Pending> m_pending;
    QHash<QString, int> m_answers;   // title -> answer
    QList<QPointer<QWidget>> m_seen; // modal widgets already handled
    int m_nMessages = 0;
};
