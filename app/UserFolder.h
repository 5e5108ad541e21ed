#pragma once

#include <QString>

// Where the installed program works. It keeps the working-directory layout of its build
// folder (image/, kvq7.if, home/, user_color.txt, user_image/), so when it runs from an
// installed bin/ it changes into a folder of the user's own, ~/Tarnel, in which every entry of
// the installed share/tarnel is linked once. The user's saved pictures and colour file live
// there; a real file or folder the user puts there in place of a link is left alone.
class UserFolder final {
  public:
    // The installed data folder of a program whose executable lives in appDir: appDir/../share/
    // tarnel when appDir is a bin folder with the skin pack there; empty otherwise (build tree).
    static QString InstalledDataDir(const QString& appDir);
    // ~/Tarnel.
    static QString DefaultPath();
    // Makes folder and its user_image/, and links each entry of dataDir that is missing there
    // or is a link to somewhere else. false with a message when something could not be made;
    // the links that could be made are kept.
    static bool Prepare(const QString& folder, const QString& dataDir, QString* error);
    // For the running program: when installed, prepares ~/Tarnel and changes into it. false
    // with a message on failure; the program enters the folder whenever it exists.
    static bool EnterIfInstalled(QString* error);
};
