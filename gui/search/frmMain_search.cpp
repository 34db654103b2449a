// The search of the playlist and the folder view by the text their rows show, and the steps
// through what it found.
#include "gui/frmMain.h"
#include "gui/search/frmSearch.h"
#include "search/ListSearch.h"

#include <QRadioButton>

void frmMain::SearchList() {
    SearchHitIndex = 0;
    SearchState = 0;
    const bool folderView = ActiveListName == QStringLiteral("lstFolderView");

    frmSearch dialog(this);
    modalWindow_ = &dialog;
    dialog.adjustSize();
    const QRect main = frameGeometry();
    dialog.move(main.left() + (main.width() - dialog.frameGeometry().width()) / 3,
                main.top() + (main.height() - dialog.frameGeometry().height()) / 3);
    KeepWindowOnScreen(&dialog);
    dialog.setSearchWord(LastSearchWord);
    dialog.setSearchMode(LastSearchMode);
    if (folderView) {
        // The folder view's rows carry tree marks before the names: only a part match finds.
        dialog.optPerfect->setEnabled(false);
        dialog.optFront->setEnabled(false);
        dialog.optPart->setChecked(true);
    }
    RunModal(dialog);
    if (!dialog.SearchWord().isEmpty())
        LastSearchWord = dialog.SearchWord();
    LastSearchMode = folderView ? 2 : static_cast<int16_t>(dialog.SearchMode());
    const bool cancelled = dialog.IsCancel();
    if (LastSearchWord.isEmpty())
        return;

    // A cancel still searches again with the last word, only without the message.
    const bool inPlayList = ActiveListName == QStringLiteral("lstPlayList");
    ListBox* target = inPlayList ? lstPlayList : lstFolderView;
    SearchState += inPlayList ? 1 : 2;
    if (FindRows(LastSearchWord, target, LastSearchMode)) {
        SearchState += inPlayList ? 4 : 8;
        SelectListRow(target, SearchHits[0]);
        target->setFocus();
    } else if (!cancelled) {
        Dialogs().message(QStringLiteral("検索条件に一致する項目は見つかりません。"),
                          QStringLiteral("ZAPT"));
    }
}

bool frmMain::FindRows(const QString& word, ListBox* box, int32_t mode) {
    if (box->count() == 0)
        return false;
    QStringList rows;
    rows.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        rows << box->rowText(i);
    std::vector<int32_t> hits = ListSearch::FindRows(word, rows, mode);
    const bool found = !hits.empty();
    SearchHits = found ? std::move(hits) : std::vector<int32_t>{0};
    return found;
}

void frmMain::StepSearchHit(bool forward) {
    SearchHitIndex =
        ListSearch::Step(SearchHitIndex, static_cast<int32_t>(SearchHits.size()), forward);
    if (SearchHitIndex < 0 || SearchHitIndex >= static_cast<int32_t>(SearchHits.size()))
        return;
    const int32_t row = SearchHits[static_cast<size_t>(SearchHitIndex)];
    if (SearchState == 5)
        SelectListRow(lstPlayList, row);
    else if (SearchState == 10)
        SelectListRow(lstFolderView, row);
}
