#pragma once

#include "tests/support/TestSkin.h"
#include "toolkit/QX_Command.h"
#include "toolkit/QX_Theme.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVector>
#include <QWidget>

#include <utility>

// A dialog-like parent for the controls under test: paints a flat colour of its own (so that
// pixels show what a control leaves unpainted) and records every command it is sent.
class ControlTestHost final : public QWidget, public QX_CommandTarget {
  public:
    static QColor Background() { return QColor(200, 230, 200); }

    ControlTestHost() {
        TestSkin();
        resize(420, 240);
    }

    bool OnCommand(int id, int code) override {
        commands.append({id, code});
        return true;
    }

    QVector<std::pair<int, int>> commands;

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Background()); }
};

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint p,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease
                                      ? Qt::NoButton
                                      : (type == QEvent::MouseMove ? Qt::MouseButtons() : button);
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)),
                  type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A move with the left button held, as the control sees it while it has the mouse captured.
inline void SendDrag(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint p) {
    SendMouse(w, QEvent::MouseMove, p);
    SendMouse(w, QEvent::MouseButtonPress, p);
    SendMouse(w, QEvent::MouseButtonRelease, p);
}

inline void SendKey(QWidget* w, QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent e(type, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString(),
                autoRepeat);
    QCoreApplication::sendEvent(w, &e);
}

inline QColor Pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

inline QColor Rgb(COLORREF c) {
    return QX_ToQColor(c);
}

// The bounding box of the pixels where a and b differ (a null rectangle when none).
inline QRect DiffBox(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < qMin(a.height(), b.height()); ++y)
        for (int x = 0; x < qMin(a.width(), b.width()); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}
