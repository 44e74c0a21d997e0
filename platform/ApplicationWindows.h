#pragma once
class QWidget;

// Windows owned by the application rather than by another window: closing one
// only hides it, and all of them are destroyed together when the program ends.
namespace ApplicationWindows {
void Adopt(QWidget *window);
// Destroys every adopted window; the program entry calls it after the event loop.
void DestroyAll();
}
