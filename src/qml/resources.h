#pragma once

namespace quelta::qml {

// Registers the resource set of the window's documents, fonts and images,
// everything but the main document. Start-up calls it before it creates the
// application object; the main document's set registers itself before main.
// Registering a set again changes nothing.
void initResources();

} // namespace quelta::qml
