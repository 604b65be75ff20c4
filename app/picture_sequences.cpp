// app/picture_sequences.cpp
#include "app/picture_sequences.h"

#include "collection/select_page.h"
#include "collection/thumb_list.h"

int BrowserSequence::Count() const
{
    return mBrowser.Count();
}

QString BrowserSequence::PathAt(int index) const
{
    return mBrowser.PathAt(index);
}

int BrowserSequence::Current() const
{
    return mBrowser.CurrentIndex();
}

void BrowserSequence::SetCurrent(int index)
{
    mBrowser.SetCurrentIndex(index);
}

int SelectedListSequence::Count() const
{
    return mPage.RowCount();
}

QString SelectedListSequence::PathAt(int index) const
{
    return mPage.RowPath(index);
}

int SelectedListSequence::RotationAt(int index) const
{
    return mPage.RowRotation(index);
}

int SelectedListSequence::Current() const
{
    return mPage.CurrentRow();
}

void SelectedListSequence::SetCurrent(int index)
{
    mPage.SelectRow(index);
}
