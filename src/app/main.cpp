// Starts the editor: one main window with an empty diagram.
#include <QApplication>

#include <iostream>
#include <string_view>

#include "main_window.h"

int main(int argc, char* argv[]) {
  // Answered before Qt starts, so that it works without a display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << "Usage: quorvane [FILE.ERD]\n";
      return 0;
    }
  }
  QApplication application(argc, argv);
  if (application.arguments().size() > 1)
    std::cerr << "quorvane: opening a diagram file from the command line is not available yet; "
                 "starting with an empty diagram\n";
  TfMain window;
  window.show();
  return application.exec();
}
