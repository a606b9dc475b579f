// Reads through a null pointer. scripts/check-sandbox.sh runs it in the test
// prefix: a crashing program must end at once, not wait for a crash debugger.
int main() {
    int* volatile nowhere = nullptr;
    return *nowhere;
}
