#pragma once

#include <QSize>

// What became of a whole-page capture: done, or why not. The words for each reason are the
// application's (AppTexts::CaptureFailureText); this only says which.
class CaptureResult final {
  public:
    enum Reason {
        Done,
        NothingToCapture, // no document, or nothing in it could be measured
        TooLarge,         // more pixels than one picture may hold: size() says how many
        Shrank,           // the document became shorter while it was captured
        NoAnswer,         // the engine did not answer a step in time
        RendererEnded,    // the process drawing the page ended
        TimedOut,         // the whole capture took longer than its deadline
        Cancelled,        // the user cancelled it
        OutOfMemory,      // the picture could not be allocated
    };

    CaptureResult() = default;
    static CaptureResult Failed(Reason reason, QSize size = QSize(), int scale = 1) {
        CaptureResult result;
        result.m_reason = reason;
        result.m_size = size;
        result.m_nScale = scale;
        return result;
    }

    bool Ok() const { return m_reason == Done; }
    explicit operator bool() const { return Ok(); }
    Reason Why() const { return m_reason; }
    // For TooLarge: the picture's size in pixels.
    QSize Size() const { return m_size; }
    // For TooLarge: the picture's pixels per document pixel, across and down.
    int Scale() const { return m_nScale; }

  private:
    Reason m_reason = Done;
    QSize m_size;
    int m_nScale = 1;
};
