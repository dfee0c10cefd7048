// Loopback ports for servers started by tests.
#pragma once

// A loopback port nobody listens on now.
int free_port();
