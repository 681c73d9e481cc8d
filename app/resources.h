#pragma once

// Registers the compiled-in style sheet and images; call once before building widgets.
void initResources();
