#pragma once

class PHProgressHUD;

// Told when a HUD has been hidden. Optional: the default does nothing.
class PHProgressHUDDelegate {
public:
    virtual ~PHProgressHUDDelegate() = default;
    virtual void hudWasHidden(PHProgressHUD* hud) { (void)hud; }
};
