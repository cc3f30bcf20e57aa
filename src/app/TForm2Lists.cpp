// The main window's Udskriv menu: the want lists and the exports of the current area.
#include "TForm2.h"

#include "CsvExport.h"
#include "TForm14.h"
#include "TForm4.h"
#include "TQuickReport28.h"
#include "TQuickReport5.h"
#include "TableView.h"

namespace kvilbro {

void TForm2::Stempledemrker1Click()
{
    previewMarkTypeList(Condition::Used);
}

void TForm2::Postfriskemrker1Click()
{
    previewMarkTypeList(Condition::Mint);
}

void TForm2::Ubrugtemrker1Click()
{
    previewMarkTypeList(Condition::Unused);
}

AreaKey TForm2::currentArea() const
{
    // The lists are of the area current here, found by both of its link fields.
    return AreaKey{Table1->asText(u"National ID"), Table1->asText(u"Beskrivelse")};
}

void TForm2::previewMarkTypeList(Condition condition)
{
    if (markTypeList_)
        markTypeList_->run(condition, currentArea());
}

void TForm2::Alleoplysninger1Click()
{
    if (combinedList_)
        combinedList_->run(currentArea());
}

void TForm2::Alleoplysninger2Click()
{
    if (allInformationList_)
        allInformationList_->run(currentArea());
}

void TForm2::Medbillede1Click()
{
    previewPictureList(Condition::Used);
}

void TForm2::Postfriskmedbillede1Click()
{
    previewPictureList(Condition::Mint);
}

void TForm2::Ubrugtmedbillede1Click()
{
    previewPictureList(Condition::Unused);
}

void TForm2::previewPictureList(Condition condition)
{
    if (pictureList_)
        pictureList_->run(condition, currentArea());
}

void TForm2::EksporterstempledetilCSVfil1Click()
{
    csvExport_->run(Condition::Used);
}

void TForm2::EksporterpostfrisketilCSVfil1Click()
{
    csvExport_->run(Condition::Mint);
}

void TForm2::ExporterubrugtetilCSVfil1Click()
{
    csvExport_->run(Condition::Unused);
}

} // namespace kvilbro
