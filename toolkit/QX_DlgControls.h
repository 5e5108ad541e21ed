#pragma once

#include "toolkit/QX_DlgTemplate.h"

class QWidget;

// Creates the template's controls as plain Qt widgets on dialog, each carrying its QX_CtrlInfo
// (id, text, style, pixel rectangle) so that a skinned control can take its place. Clicks,
// toggles and edits notify the dialog as commands (QX_BN_CLICKED, QX_EN_CHANGE).
void QX_CreateDlgControls(QWidget* dialog, const QX_DlgTemplate& t, const QX_DlgUnits& units);

// true for a plain control created from a default push button item.
bool QX_IsDefaultCtrl(const QWidget* control);
