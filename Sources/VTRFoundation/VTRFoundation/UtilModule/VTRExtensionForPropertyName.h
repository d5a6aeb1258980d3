#pragma once

class QObject;

// A null placeholder for property look-up by name: always nothing.
class VTRExtensionForPropertyName {
public:
    static QObject* npNullObjectForFindingPropertyName() { return nullptr; }
};
