#pragma once
// Registers the platform's control classes for the form reader (the application does it at start).
void RegisterStandardClasses();
