#pragma once
// The WinInet client of the Internet dialogs (Windows only). WININET.DLL is reached through the functions
// it exports, so that a system without InternetGetConnectedState never calls into it.

#include <memory>

#include "net/HttpClient.h"

// Whether the system says it is connected to the Internet (InternetGetConnectedState).
bool InternetConnected();

std::unique_ptr<IHttpClient> MakeWinInetClient();
