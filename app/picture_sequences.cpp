// app/picture_sequences.cpp
#include "app/picture_sequences.h"

#include "collection/select_page.h"
#include "collection/selected_images_model.h"
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

SelectedListSequence::SelectedListSequence(CSelectPage &page)
    : mPage(page)
    , mImages(page.Images())
{
}

int SelectedListSequence::Count() const
{
    return mImages.Count();
}

QString SelectedListSequence::PathAt(int index) const
{
    return mImages.Path(index);
}

int SelectedListSequence::RotationAt(int index) const
{
    return mImages.Rotation(index);
}

int SelectedListSequence::Current() const
{
    return mPage.CurrentRow();
}

void SelectedListSequence::SetCurrent(int index)
{
    mPage.SelectRow(index);
}
