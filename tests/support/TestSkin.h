#pragma once

class QX_Skin;

// The skin the tests draw with, as the application's: loaded once from the run folder's pack and
// made the default skin (again at every call, in case a case replaced the default).
const QX_Skin& TestSkin();
