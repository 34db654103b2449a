// The main window's tag label: one field of the playing song's tag, stepped by clicks.
#include "gui/frmMain.h"
#include "gui/playback/StatusStrip.h"

void frmMain::InitTagFieldNames() {
    TagFieldNames = {QStringLiteral("Title"), QStringLiteral("Artist"), QStringLiteral("Album"),
                     QStringLiteral("Track"), QStringLiteral("Year")};
}

void frmMain::ShowTagInfoLabel() {
    QString value;
    switch (TagFieldIndex) {
    case 0:
        value = PlayingTagInfo.Title;
        break;
    case 1:
        value = PlayingTagInfo.ArtistName;
        break;
    case 2:
        value = PlayingTagInfo.Album;
        break;
    case 3:
        value = PlayingTagInfo.Track;
        break;
    case 4:
        value = PlayingTagInfo.Year;
        break;
    default:
        return;
    }
    // The label shows plain text, so an "&" needs no doubling to stay visible.
    value = clsTagInfo::OneLine(value);
    picStatus->setTagInfo(value);
}

void frmMain::ChangeTagField(int16_t step) {
    TagFieldIndex += step;
    if (TagFieldIndex > 4)
        TagFieldIndex = 0;
    else if (TagFieldIndex < 0)
        TagFieldIndex = 4;
    picStatus->setTagTitle(TagFieldNames[TagFieldIndex]);
}

void frmMain::lblTagInfo_MouseDown(Qt::MouseButton button) {
    ChangeTagField(button == Qt::RightButton ? -1 : +1);
    ShowTagInfoLabel();
}
