#pragma once
// What the mail sender and the SMS client ask of every libcurl transfer.
#include <curl/curl.h>

namespace host {

// Bounds the transfer by timeoutSeconds (connecting and in all), keeps libcurl's own words for a
// failure in error (CURL_ERROR_SIZE bytes), and keeps the window painted while the server is
// waited for; the user's input waits its turn.
void BoundTransfer(CURL* transfer, long timeoutSeconds, char* error);

}  // namespace host
