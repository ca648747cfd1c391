// Linked into every optional module: the version it was built from, which the
// program compares with its own before it uses anything else of the module.
extern "C" __attribute__((visibility("default"))) const char *tessaline_module_version() {
    return TESSALINE_VERSION;
}
