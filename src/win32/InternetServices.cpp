#include "win32/InternetServices.h"

#include "net/WinInetClient.h"

InternetServices ProgramInternetServices() {
  return InternetServices{&MakeWinInetClient, &InternetConnected, ProgramServer()};
}
