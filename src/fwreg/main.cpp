// Wickett registers Tamberline with the firewall so that the network link
// can receive datagrams. Registration is not built yet: it exits at once.
int main() {
    return 0;
}
