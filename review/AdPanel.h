#pragma once

#include "capture/BrowserControl.h"
#include "toolkit/QX_Dialog.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QFont;

// The advertisement panel of the review, save and printer dialogs: a browser over the dialog's
// frame control 1020 that shows the page an advertisement text names. The text is fetched
// once, synchronously, when the panel is made; a failed fetch is reported once and leaves the
// panel blank. Owned by its dialog (a child object); the browser goes with it.
class AdPanel final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kFrameId = 1020;
    static constexpr int kCtrlId = 59648;
    // Bounds of one fetch: beyond them it counts as failed.
    static constexpr int kFetchTimeoutMs = 5000;
    static constexpr qint64 kMaxTextBytes = 64 * 1024;

    enum FetchResult {
        Fetched,      // the text was read (it may be empty)
        NoConnection, // the address could not be reached in time
        NoText,       // it answered, but with no usable text (error status, too long, ...)
    };

    // Makes the panel at the end of a dialog's initialisation: a browser over frame 1020 and the
    // page of advertisement address addressNumber (1 review, 2 save, 3 print). font is borrowed
    // for the messages. Null when the dialog has no frame 1020.
    static AdPanel* Create(QX_Dialog* dialog, int addressNumber, const QFont* font);
    ~AdPanel() override;

    // The address of a dialog's advertisement text: the environment's override when set, else
    // the built-in text naming a bundled page.
    static QString AdAddress(int addressNumber);

    // Fetches the text and shows the address it names.
    void ShowAdPanel(const QString& address);
    // The joined lines of the text at address; false (after the message) when it failed.
    bool FetchAdText(const QString& address, QString* text);
    // Loads address into the panel when it is one the panel may show.
    void NavigateAd(const QString& address);

    // What a text names: everything after its second '>', or empty.
    static QString AddressInText(const QString& text);
    // The address as the panel loads it: http:, https: or a page inside the bundled panel
    // pages folder (relative or file:); an invalid URL for anything else.
    static QUrl AllowedTarget(const QString& address);
    // Reads the text at address within the bounds, without windows.
    static FetchResult Fetch(const QString& address, QByteArray* body);
    // Bytes to text: UTF-8 when it is valid, otherwise code page 949; line ends dropped.
    static QString JoinLines(const QByteArray& body);

    BrowserControl* Browser() const { return m_pBrowser; }
    // The last address handed to the browser; empty when nothing was shown.
    QUrl NavigatedUrl() const { return m_navigated; }

  private:
    AdPanel(QX_Dialog* dialog, const QFont* font);
    void ShowFetchError(FetchResult result);

    QPointer<QX_Dialog> m_pDialog;
    QPointer<BrowserControl> m_pBrowser;
    const QFont* m_pFont = nullptr;
    QUrl m_navigated;
};
