/* The program of the test PE files: only their resources are read. */
int main(void) { return 0; }
