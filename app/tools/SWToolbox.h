#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class KZToolboxController;
class SWDocument;
class SWTool;

// The per-document registry: one instance of every tool class, keyed by its
// label (case-sensitive), and the current tool. It follows the toolbox
// controller's "currentTool" and posts "kCurrentToolDidChangedNotification"
// (sender: the registry) after every switch that comes from there.
class SWToolbox {
public:
    static const QString kCurrentToolDidChangedNotification;

    // One entry of the fixed class list. `make` is empty while that tool
    // class has not been written yet; the registry skips such entries.
    struct ToolClass {
        using Factory = std::function<std::unique_ptr<SWTool>(KZToolboxController*)>;
        const char* className;
        Factory make;
    };

    // The 39 tool classes in their fixed order. The toolbox controller maps
    // its shape buttons (tags 14..38) to positions of this list.
    static const std::vector<ToolClass>& toolClassList();

    SWToolbox() = default;
    // Builds every tool of `classes` for the document's toolbox controller.
    // Tests pass their own class list; the document uses the default one.
    SWToolbox(SWDocument* document, KZToolboxController* controller,
              const std::vector<ToolClass>& classes = toolClassList());
    ~SWToolbox();
    SWToolbox(const SWToolbox&) = delete;
    SWToolbox& operator=(const SWToolbox&) = delete;

    SWTool* toolForLabel(const QString& label) const;
    SWTool* currentTool() const { return m_currentTool; }
    void setCurrentTool(SWTool* tool);
    void tieUpLooseEndsForCurrentTool();

    // Labels of every tool, in the order of the class list.
    QStringList labels() const { return m_labels; }
    size_t toolCount() const { return m_toolList.size(); }

    SWDocument* document() const { return m_document; }

private:
    void observeCurrentTool(const QString& label);

    SWDocument* m_document = nullptr;               // not owned
    KZToolboxController* m_controller = nullptr;     // not owned
    std::map<QString, std::unique_ptr<SWTool>> m_toolList;
    QStringList m_labels;
    SWTool* m_currentTool = nullptr; // one of m_toolList
};
