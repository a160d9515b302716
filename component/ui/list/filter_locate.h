#pragma once
// The list's "Filter"/"Find", "Pos", "FindSet" and the two sort menu items: the general filter
// service and the public-utility object do the work.
namespace sovrel {

class frmContactList;

inline constexpr const char* kListFilterName = "AA[__]供应商联系人档案";

// The filter dialog; a confirmed condition becomes the list's filter clause and the list is
// reloaded. A condition the database refuses is shown and changes nothing.
void RunListFilter(frmContactList& list);
void RunListPos(frmContactList& list);
void RunListFindSet(frmContactList& list);
// order: 1 ascending, 2 descending.
void RunListSort(frmContactList& list, int order);

}  // namespace sovrel
