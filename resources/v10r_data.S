/* The V10R power table, linked into the program as read-only data.
 *
 * V10R_BIN_PATH is the quoted path of the table that make_v10r writes into
 * the build tree; the table is never kept in the source tree. The two labels
 * bracket its bytes; loadEmbeddedPowerTable hands them to loadPowerTable.
 * The words are 32-bit, so the start is aligned to 4.
 */
        .section .rodata.quorvel_v10r, "a", @progbits
        .balign 4
        .globl  quorvelV10rData
        .hidden quorvelV10rData
        .type   quorvelV10rData, @object
quorvelV10rData:
        .incbin V10R_BIN_PATH
        .globl  quorvelV10rDataEnd
        .hidden quorvelV10rDataEnd
quorvelV10rDataEnd:
        .size   quorvelV10rData, quorvelV10rDataEnd - quorvelV10rData

/* No executable stack for the program that links this object. */
        .section .note.GNU-stack, "", @progbits
