// A loadable module that exports none of the encoder entries.
extern "C" __attribute__((visibility("default"))) int Unrelated_Entry() {
    return 0;
}
