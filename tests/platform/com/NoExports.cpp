// A loadable library that is no component library: it has none of the entry points.
extern "C" int KelvoNotAServer() {
    return 0;
}
