#include "review/CupsPrinter.h"

#include <QByteArray>

#include <cups/cups.h>

#include <cstring>

namespace {

constexpr const char* kOrientationOption = "orientation-requested";
// IPP's enum values for portrait and landscape.
constexpr const char* kIppPortrait = "3";
constexpr const char* kIppLandscape = "4";

// The destination list of this user (server destinations with the user's options applied),
// freed when it goes out of scope.
class DestList final {
  public:
    DestList() { m_nCount = cupsGetDests2(CUPS_HTTP_DEFAULT, &m_pDests); }
    ~DestList() { cupsFreeDests(m_nCount, m_pDests); }
    DestList(const DestList&) = delete;
    DestList& operator=(const DestList&) = delete;

    cups_dest_t* Find(const QString& name) const {
        const QByteArray bytes = name.toLocal8Bit();
        return cupsGetDest(bytes.constData(), nullptr, m_nCount, m_pDests);
    }
    // Writes the user's options back; false when that failed.
    bool Save() const { return cupsSetDests2(CUPS_HTTP_DEFAULT, m_nCount, m_pDests) == 0; }

  private:
    int m_nCount = 0;
    cups_dest_t* m_pDests = nullptr;
};

} // namespace

namespace CupsPrinter {

QString DeviceUri(const QString& name) {
    const DestList dests;
    const cups_dest_t* dest = dests.Find(name);
    if (dest == nullptr)
        return QString();
    const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options);
    return uri ? QString::fromLocal8Bit(uri) : QString();
}

bool SetPrinterOrientation(const QString& name, QPageLayout::Orientation orientation) {
    DestList dests;
    cups_dest_t* dest = dests.Find(name);
    if (dest == nullptr)
        return false;
    dest->num_options = cupsAddOption(
        kOrientationOption, orientation == QPageLayout::Portrait ? kIppPortrait : kIppLandscape,
        dest->num_options, &dest->options);
    return dests.Save();
}

std::optional<QPageLayout::Orientation> StoredOrientation(const QString& name) {
    const DestList dests;
    const cups_dest_t* dest = dests.Find(name);
    const char* value =
        dest ? cupsGetOption(kOrientationOption, dest->num_options, dest->options) : nullptr;
    if (value != nullptr && std::strcmp(value, kIppPortrait) == 0)
        return QPageLayout::Portrait;
    if (value != nullptr && std::strcmp(value, kIppLandscape) == 0)
        return QPageLayout::Landscape;
    return std::nullopt;
}

int SubmitJob(const QString& name, const QString& file, const QString& title,
              QPageLayout::Orientation orientation, QString* error) {
    // The options Qt's own CUPS engine gives a job of this layout.
    cups_option_t* options = nullptr;
    int count = cupsAddOption("media", "A4", 0, &options);
    count = cupsAddOption("sides", "one-sided", count, &options);
    if (orientation == QPageLayout::Landscape)
        count = cupsAddOption("landscape", "", count, &options);
    const QByteArray nameBytes = name.toLocal8Bit();
    const QByteArray fileBytes = file.toLocal8Bit();
    const QByteArray titleBytes = title.toUtf8();
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, nameBytes.constData(), fileBytes.constData(),
                                   titleBytes.constData(), count, options);
    cupsFreeOptions(count, options);
    if (job <= 0 && error != nullptr)
        *error = QString::fromLocal8Bit(cupsLastErrorString());
    return job > 0 ? job : 0;
}

} // namespace CupsPrinter
