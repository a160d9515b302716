#include "transfer.h"

#include <QCoreApplication>

namespace host {

namespace {

int KeepPainting(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
    return 0;
}

}  // namespace

void BoundTransfer(CURL* transfer, long timeoutSeconds, char* error) {
    curl_easy_setopt(transfer, CURLOPT_CONNECTTIMEOUT, timeoutSeconds);
    curl_easy_setopt(transfer, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(transfer, CURLOPT_ERRORBUFFER, error);
    // No signals: time-outs must not interrupt the window's own thread.
    curl_easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(transfer, CURLOPT_XFERINFOFUNCTION, KeepPainting);
    curl_easy_setopt(transfer, CURLOPT_NOPROGRESS, 0L);
}

}  // namespace host
