/* Preloaded into hangingmobile in the sanitizer build's test runs only.
 * XCloseDisplay unloads Mesa's driver, and what the driver's own globals
 * still held then looks leaked to LeakSanitizer, from a module it can no
 * longer name (so no suppression can match it). Kept loaded, the driver's
 * memory stays reachable, while anything of ours left unfreed, a context
 * never destroyed among it, is still reported. */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
