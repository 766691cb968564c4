#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::fputs("usage: kirrel-cli --help\n", stdout);
    return 0;
}
