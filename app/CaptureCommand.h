#pragma once

// The program started with a command line of its own (--capture, --help, --version, ...): reads
// it, sets up a window system that shows nothing (the offscreen platform unless the caller
// chose one), starts the engine once and runs the captures. Call before any QApplication exists.
class CaptureCommand final {
  public:
    // Whether the arguments ask for the command rather than the window.
    static bool Wanted(int argc, char* argv[]);
    // The whole run; the exit status (CaptureOptions::Status).
    static int Main(int argc, char* argv[]);
};
