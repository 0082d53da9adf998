#pragma once

/// What the display lets Ovelin do: the two capabilities the permissions page reports.
/// Both checks only ask; neither prompts the user nor changes anything.
class CapabilityService
{
public:
    virtual ~CapabilityService() = default;
    /// Synthetic key presses can be sent (the paste keystroke): the display offers XTEST.
    virtual bool canSynthesizeInput() const = 0;
    /// Global input can be watched (the mouse shake): the display offers XInput 2 and the
    /// session is not a Wayland session, where an X client sees only its own input.
    virtual bool canMonitorInput() const = 0;
};
