#pragma once
// The host's result-list dialog: the outcome of a run over several records (one row per record,
// e.g. code and what happened to it), read-only, selectable and copyable as text. The public-
// utility object's ModifyShowMsg shows its lists through it.
#include <functional>
#include <string>
#include <vector>

namespace host {

struct ResultListRequest {
    std::string title;
    std::vector<std::string> captions;
    std::vector<std::vector<std::string>> rows;
    std::string language;
};

using ResultListPresenter = std::function<void(const ResultListRequest&)>;

// Process-wide; answers the presenter it replaced. Without one nothing is shown.
ResultListPresenter SetResultListPresenter(ResultListPresenter presenter);
void PresentResultList(const ResultListRequest& request);

// The Qt dialog itself (modal; Enter or Escape closes it, Ctrl+C copies the selected rows, the
// Copy button every row, as tab-separated lines under the captions).
void ShowResultListDialog(const ResultListRequest& request);
// The text that Copy puts on the clipboard for these rows.
std::string ResultListText(const ResultListRequest& request, const std::vector<int>& rows);

}  // namespace host
