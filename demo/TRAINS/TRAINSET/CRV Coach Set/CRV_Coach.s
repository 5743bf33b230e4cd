SIMISA@@@@@@@@@@JINX0s1t______

comment ( Corvanel demo placeholder shape for CRV Coach Set, not a real shape )
