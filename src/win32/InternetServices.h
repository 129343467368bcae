#pragma once
// What the Internet dialogs reach the server with: the client maker, the connectivity test and the server.

#include <functional>

#include "net/HttpClient.h"
#include "net/Server.h"

struct InternetServices {
  HttpClientFactory makeClient;
  std::function<bool()> connected;
  ServerAddress server;
};

// WinInet, InternetGetConnectedState and $DISKELLE_SERVER.
InternetServices ProgramInternetServices();
