#pragma once
// The published properties of the platform classes below this layer (TComponent, TFont). They
// are registered by the table registry itself, so they need no registration object that a
// static link could drop.

void RegisterPlatformPropertyTables();
