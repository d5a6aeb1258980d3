#pragma once

class KZDabBrushListButton;
class KZDabBrushListView;

// Told of a brush the user clicked in the chooser.
class KZDabBrushListViewDelegate {
public:
    virtual ~KZDabBrushListViewDelegate() = default;
    // Returns whether the brush was taken; when it was not, the chooser
    // gives the choice back to the button chosen before.
    virtual bool dabBrushListView(KZDabBrushListView* listView, KZDabBrushListButton* item) = 0;
};
