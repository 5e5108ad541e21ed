#pragma once

#include <QPageLayout>
#include <QString>

#include <optional>

// The few things the print path needs from the CUPS client library itself, where Qt's print
// support has no call: a destination's device address, the user's lasting default options and
// handing a finished job to the scheduler with its job number.
namespace CupsPrinter {

// The destination's device URI, or an empty string when it has none or is not known.
QString DeviceUri(const QString& name);

// Stores the orientation as this user's default option for the destination, as
// `lpoptions -p NAME -o orientation-requested=...` does. false when it could not be stored
// (no such destination, no scheduler, no rights); callers go on without it.
bool SetPrinterOrientation(const QString& name, QPageLayout::Orientation orientation);
// This user's stored orientation for the destination; nothing when none is stored.
std::optional<QPageLayout::Orientation> StoredOrientation(const QString& name);

// Sends the document file (a PDF) to the destination as one job named title, on A4 in the
// given orientation. The job number when the scheduler accepted it, else 0 with the
// scheduler's reason in *error.
int SubmitJob(const QString& name, const QString& file, const QString& title,
              QPageLayout::Orientation orientation, QString* error);

} // namespace CupsPrinter
